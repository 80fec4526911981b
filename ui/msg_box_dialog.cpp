#include "ui/msg_box_dialog.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/msg_box_layout.h"
#include "ui/pictures.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {

MsgBoxDialog::MsgBoxDialog(const MsgBoxRequest& request, QWidget* owner)
    : BoxDialog(owner, kUnanswered) {
    setWindowTitle(QString::fromStdString(request.title));
    const MsgBoxLayout layout = LayOutMsgBox(request);
    setFixedSize(layout.size);

    m_title = new TextLabel(QString::fromStdString(request.title), 24, Qt::white, this);
    m_title->setGeometry(layout.title);
    m_title->setElide(true);

    m_message = new TextLabel(QString::fromStdString(request.message), 20, Qt::white, this);
    m_message->setGeometry(layout.message);
    if (layout.singleLine) {
        m_message->setAlignment(Qt::AlignCenter);
    } else {
        m_message->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_message->setWordWrap(true);
    }

    for (int i = 0; i < int(layout.buttons.size()); ++i) {
        auto* created =
            new ImageButton(layout.buttonTexts.value(i),
                            i == 0 ? ButtonSkin::primary() : ButtonSkin::secondary(), this);
        created->setGeometry(layout.buttons[i]);
        connect(created, &ImageButton::clicked, this, [this, i] { answer(i); });
        m_buttons.push_back(created);
    }
}

void MsgBoxDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(
        0, 0, pictures::DialogBackground(roundedCorners()).pixmap(size(), devicePixelRatioF()));
}

void MsgBoxDialog::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !m_buttons.empty()) {
        m_buttons.front()->click();
        return;
    }
    BoxDialog::keyPressEvent(event);
}

}  // namespace qvpc::ui
