#include "ui/toolkit/image_button.h"

#include <QPainter>

#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {

ImageButton::ImageButton(const QString& text, ButtonSkin skin, QWidget* parent)
    : QAbstractButton(parent), m_skin(std::move(skin)) {
    setText(text);
    setFont(SkinFont(18));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

void ImageButton::setSkin(ButtonSkin skin) {
    m_skin = std::move(skin);
    update();
}

void ImageButton::setTextColor(QColor color) {
    m_textColor = color;
    update();
}

void ImageButton::setFontSize(int size, bool bold) {
    setFont(SkinFont(size, bold));
    update();
}

ButtonState ImageButton::state() const {
    if (isDown()) {
        return ButtonState::Pressed;
    }
    return m_hovered && isEnabled() ? ButtonState::Hover : ButtonState::Normal;
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ButtonState shown = state();
    painter.drawPixmap(0, 0, m_skin.pixmap(size(), devicePixelRatioF(), shown));
    if (text().isEmpty()) {
        return;
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(m_skin.textColor(shown, m_textColor));
    // Each line is centred on its own; the described texts pad some lines
    // with spaces, which would only shift them.
    QStringList lines = text().split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        line = line.trimmed();
    }
    QRect area = rect();
    if (shown == ButtonState::Pressed) {
        area.translate(0, 1);
    }
    painter.drawText(area, Qt::AlignCenter | Qt::TextShowMnemonic, lines.join(QLatin1Char('\n')));
}

void ImageButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace qvpc::ui
