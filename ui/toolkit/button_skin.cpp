#include "ui/toolkit/button_skin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/toolkit/artwork.h"
#include "ui/toolkit/skin_colors.h"

namespace qvpc::ui {
namespace {

const char* StateName(ButtonState state) {
    switch (state) {
        case ButtonState::Normal:
            return "n";
        case ButtonState::Hover:
            return "h";
        case ButtonState::Pressed:
            return "p";
    }
    return "n";
}

ButtonSkin SolidSkin(const QString& key, QRgb normal, QRgb hover, QRgb pressed) {
    return {key,
            [=](QPainter& painter, const QSizeF& size, ButtonState state) {
                const QRgb base = state == ButtonState::Pressed ? pressed
                                  : state == ButtonState::Hover ? hover
                                                                : normal;
                PaintButtonFace(painter, QRectF(QPointF(0, 0), size), QColor::fromRgb(base), 4);
            },
            {}};
}

}  // namespace

void PaintButtonFace(QPainter& painter, const QRectF& rect, QColor base, qreal radius) {
    const QRectF face = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, base.lighter(106));
    fill.setColorAt(1, base.darker(104));
    painter.setPen(QPen(base.darker(112), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(face, radius, radius);
    // A faint highlight along the top edge gives the face a little depth.
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.drawLine(QPointF(face.left() + radius, face.top() + 1),
                     QPointF(face.right() - radius, face.top() + 1));
}

QPixmap ButtonSkin::pixmap(const QSize& size, qreal devicePixelRatio, ButtonState state) const {
    if (!paint) {
        return {};
    }
    return CachedPixmap(
        key + QLatin1Char('.') + QLatin1String(StateName(state)), size, devicePixelRatio,
        [&](QPainter& painter, const QSizeF& area) { paint(painter, area, state); });
}

QColor ButtonSkin::textColor(ButtonState state, QColor base) const {
    return tint ? tint(state, base) : base;
}

ButtonSkin ButtonSkin::primary() {
    return SolidSkin(QStringLiteral("button.primary"), skin::kAccent, skin::kAccentHover,
                     skin::kAccentPressed);
}

ButtonSkin ButtonSkin::secondary() {
    return SolidSkin(QStringLiteral("button.secondary"), skin::kSlateLight, skin::kSlateLighter,
                     skin::kSlateDark);
}

ButtonSkin ButtonSkin::slate() {
    return SolidSkin(QStringLiteral("button.slate"), skin::kSlate, skin::kSlateLight,
                     skin::kSlateDark);
}

ButtonSkin ButtonSkin::muted() {
    return SolidSkin(QStringLiteral("button.muted"), 0xffdfe3e9, 0xffe9ecf0, 0xffcfd4dc);
}

ButtonSkin ButtonSkin::outline(QColor color) {
    return {QStringLiteral("button.outline.") + color.name(),
            [color](QPainter& painter, const QSizeF& size, ButtonState) {
                const QRectF face = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
                painter.setPen(QPen(color, 1));
                painter.setBrush(QColor::fromRgb(skin::kPanel));
                painter.drawRoundedRect(face, 4, 4);
            },
            // The image stays the same in every state; the text answers the mouse.
            [](ButtonState state, QColor base) {
                return state == ButtonState::Normal ? base : base.darker(125);
            }};
}

}  // namespace qvpc::ui
