// Page 9's installed-app list: the rows' action button and the check mark of
// a finished row. The button follows the catalog tiles' "安装": a green frame
// on white that fills green under the pointer.
#include <QPainter>
#include <QPainterPath>

#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"

namespace qvpc::ui::pictures {

ButtonSkin AppRowAction() {
    return {QStringLiteral("page9.row.action"),
            [](QPainter& painter, const QSizeF& size, ButtonState state) {
                const QRectF face = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
                if (state == ButtonState::Normal) {
                    painter.setPen(QPen(QColor::fromRgb(skin::kAccent), 1));
                    painter.setBrush(QColor::fromRgb(skin::kPanel));
                    painter.drawRoundedRect(face, 4, 4);
                    return;
                }
                PaintButtonFace(painter, QRectF(QPointF(0, 0), size),
                                QColor::fromRgb(state == ButtonState::Pressed ? skin::kAccentPressed
                                                                              : skin::kAccent),
                                4);
            },
            [](ButtonState state, QColor base) {
                return state == ButtonState::Normal ? base : QColor::fromRgb(skin::kWhite);
            }};
}

Artwork DoneCheck() {
    return {QStringLiteral("page9.row.done"), [](QPainter& painter, const QSizeF& size) {
                const QRectF disc = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor::fromRgb(skin::kAccent));
                painter.drawEllipse(disc);
                QPainterPath tick;
                tick.moveTo(size.width() * 0.27, size.height() * 0.52);
                tick.lineTo(size.width() * 0.44, size.height() * 0.68);
                tick.lineTo(size.width() * 0.74, size.height() * 0.36);
                QPen pen(QColor::fromRgb(skin::kWhite), std::max<qreal>(1.5, size.width() / 9));
                pen.setCapStyle(Qt::RoundCap);
                pen.setJoinStyle(Qt::RoundJoin);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawPath(tick);
            }};
}

}  // namespace qvpc::ui::pictures
