#include "ui/box_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "ui/toolkit/window_translucency.h"

namespace qvpc::ui {

BoxDialog::BoxDialog(QWidget* owner, int unanswered)
    : QWidget(owner, Qt::Dialog | Qt::FramelessWindowHint),
      m_result(unanswered),
      m_rounded(TranslucentWindowsShow()) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void BoxDialog::answer(int result) {
    m_result = result;
    close();
}

void BoxDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void BoxDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!m_answered) {
        m_answered = true;
        emit answered(m_result);
    }
}

}  // namespace qvpc::ui
