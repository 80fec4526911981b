#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace qvpc::ui::icons {
namespace {

// A pen whose width follows the icon's size, with round ends.
QPen Stroke(QColor color, const QRectF& box, qreal share = 0.07) {
    QPen pen(color, std::max(1.5, box.width() * share));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Coordinates of a 0..1 unit square inside box.
QPointF At(const QRectF& box, qreal x, qreal y) {
    return {box.left() + box.width() * x, box.top() + box.height() * y};
}

QRectF Part(const QRectF& box, qreal x, qreal y, qreal w, qreal h) {
    return {At(box, x, y), QSizeF(box.width() * w, box.height() * h)};
}

// A tray with an arrow through it, pointing up (upload) or down (download).
void TrayArrow(QPainter& painter, const QRectF& box, QColor color, bool up) {
    painter.save();
    painter.setPen(Stroke(color, box));
    painter.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(At(box, 0.1, 0.6));
    tray.lineTo(At(box, 0.1, 0.88));
    tray.lineTo(At(box, 0.9, 0.88));
    tray.lineTo(At(box, 0.9, 0.6));
    painter.drawPath(tray);
    painter.drawLine(At(box, 0.5, 0.1), At(box, 0.5, 0.66));
    const double tip = up ? 0.1 : 0.66;
    const double wings = up ? 0.32 : 0.44;
    QPainterPath head;
    head.moveTo(At(box, 0.28, wings));
    head.lineTo(At(box, 0.5, tip));
    head.lineTo(At(box, 0.72, wings));
    painter.drawPath(head);
    painter.restore();
}

}  // namespace

void Tv(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box));
    painter.setBrush(Qt::NoBrush);
    const QRectF screen = Part(box, 0.06, 0.16, 0.88, 0.58);
    painter.drawRoundedRect(screen, box.width() * 0.06, box.width() * 0.06);
    painter.drawLine(At(box, 0.34, 0.88), At(box, 0.66, 0.88));
    painter.drawLine(At(box, 0.5, 0.74), At(box, 0.5, 0.88));
    painter.restore();
}

void Apps(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const qreal r = box.width() * 0.08;
    painter.drawRoundedRect(Part(box, 0.08, 0.08, 0.38, 0.38), r, r);
    painter.drawRoundedRect(Part(box, 0.54, 0.08, 0.38, 0.38), r, r);
    painter.drawRoundedRect(Part(box, 0.08, 0.54, 0.38, 0.38), r, r);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Stroke(color, box, 0.08));
    painter.drawEllipse(Part(box, 0.58, 0.58, 0.30, 0.30));
    painter.restore();
}

void Upload(QPainter& painter, const QRectF& box, QColor color) {
    TrayArrow(painter, box, color, true);
}

void Download(QPainter& painter, const QRectF& box, QColor color) {
    TrayArrow(painter, box, color, false);
}

void Market(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box));
    painter.setBrush(Qt::NoBrush);
    QPainterPath bag;
    bag.moveTo(At(box, 0.14, 0.3));
    bag.lineTo(At(box, 0.86, 0.3));
    bag.lineTo(At(box, 0.8, 0.9));
    bag.lineTo(At(box, 0.2, 0.9));
    bag.closeSubpath();
    painter.drawPath(bag);
    QPainterPath handle;
    handle.moveTo(At(box, 0.34, 0.42));
    handle.lineTo(At(box, 0.34, 0.24));
    handle.arcTo(Part(box, 0.34, 0.06, 0.32, 0.34), 180, -180);
    handle.lineTo(At(box, 0.66, 0.42));
    painter.drawPath(handle);
    painter.restore();
}

void Camera(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box));
    painter.setBrush(Qt::NoBrush);
    QPainterPath body;
    body.addRoundedRect(Part(box, 0.06, 0.26, 0.88, 0.6), box.width() * 0.08, box.width() * 0.08);
    painter.drawPath(body);
    QPainterPath hump;
    hump.moveTo(At(box, 0.32, 0.26));
    hump.lineTo(At(box, 0.38, 0.14));
    hump.lineTo(At(box, 0.62, 0.14));
    hump.lineTo(At(box, 0.68, 0.26));
    painter.drawPath(hump);
    painter.drawEllipse(Part(box, 0.33, 0.38, 0.34, 0.34));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(Part(box, 0.76, 0.34, 0.08, 0.08));
    painter.restore();
}

void Plus(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box, 0.09));
    painter.drawLine(At(box, 0.5, 0.18), At(box, 0.5, 0.82));
    painter.drawLine(At(box, 0.18, 0.5), At(box, 0.82, 0.5));
    painter.restore();
}

void Search(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box, 0.09));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(Part(box, 0.1, 0.1, 0.56, 0.56));
    painter.drawLine(At(box, 0.6, 0.6), At(box, 0.88, 0.88));
    painter.restore();
}

void Chevron(QPainter& painter, const QRectF& box, QColor color, bool pointsLeft) {
    painter.save();
    painter.setPen(Stroke(color, box, 0.1));
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    if (pointsLeft) {
        path.moveTo(At(box, 0.6, 0.25));
        path.lineTo(At(box, 0.35, 0.5));
        path.lineTo(At(box, 0.6, 0.75));
    } else {
        path.moveTo(At(box, 0.4, 0.25));
        path.lineTo(At(box, 0.65, 0.5));
        path.lineTo(At(box, 0.4, 0.75));
    }
    painter.drawPath(path);
    painter.restore();
}

void Cross(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box, 0.1));
    painter.drawLine(At(box, 0.2, 0.2), At(box, 0.8, 0.8));
    painter.drawLine(At(box, 0.8, 0.2), At(box, 0.2, 0.8));
    painter.restore();
}

void Minus(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Stroke(color, box, 0.1));
    painter.drawLine(At(box, 0.2, 0.55), At(box, 0.8, 0.55));
    painter.restore();
}

void Info(QPainter& painter, const QRectF& box, QColor color) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(box);
    painter.setBrush(Qt::white);
    painter.drawEllipse(Part(box, 0.44, 0.2, 0.12, 0.12));
    painter.drawRoundedRect(Part(box, 0.445, 0.38, 0.11, 0.42), box.width() * 0.05,
                            box.width() * 0.05);
    painter.restore();
}

}  // namespace qvpc::ui::icons
