#include "ui/page.h"

#include <QPainter>

#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {

Page::Page(int number, QWidget* parent) : PageContainer(number, parent) {}

ImageButton* Page::button(PageButton id) const {
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

ImageButton* Page::addButton(PageButton id, const QString& text, const QRect& geometry,
                             ButtonSkin skin) {
    auto* created = new ImageButton(text, std::move(skin), this);
    created->setGeometry(geometry);
    m_buttons[id] = created;
    connect(created, &ImageButton::clicked, this, [this, id] { emit buttonClicked(id); });
    return created;
}

ImageButton* Page::addLinkButton(PageButton id, const QString& text, const QRect& geometry) {
    ImageButton* created =
        addButton(id, text, geometry, ButtonSkin::outline(QColor::fromRgb(skin::kAccentText)));
    created->setTextColor(QColor::fromRgb(skin::kAccentText));
    return created;
}

TextLabel* Page::addLabel(const QString& text, int fontSize, QRgb color, const QRect& geometry,
                          Qt::Alignment alignment) {
    auto* label = new TextLabel(text, fontSize, QColor::fromRgb(color), this);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

TextLabel* Page::addHeader() {
    m_header = true;
    return addLabel(QString::fromUtf8("智能电视"), 18, skin::kText, {16, 20, 100, 24},
                    Qt::AlignLeft | Qt::AlignVCenter);
}

void Page::paintEvent(QPaintEvent*) {
    if (!m_header) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, 900, 60), QColor::fromRgb(skin::kHeaderBand));
    painter.setPen(QColor::fromRgb(skin::kHeaderRule));
    painter.drawLine(0, 59, 899, 59);
}

}  // namespace qvpc::ui
