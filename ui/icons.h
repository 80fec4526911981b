#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace qvpc::ui::icons {

// Line icons of the skin, drawn to fill the given square. They take a colour
// and keep the painter's state.
void Tv(QPainter& painter, const QRectF& box, QColor color);
void Apps(QPainter& painter, const QRectF& box, QColor color);
void Upload(QPainter& painter, const QRectF& box, QColor color);
void Download(QPainter& painter, const QRectF& box, QColor color);
void Market(QPainter& painter, const QRectF& box, QColor color);
void Camera(QPainter& painter, const QRectF& box, QColor color);
void Plus(QPainter& painter, const QRectF& box, QColor color);
void Search(QPainter& painter, const QRectF& box, QColor color);
void Chevron(QPainter& painter, const QRectF& box, QColor color, bool pointsLeft);
void Cross(QPainter& painter, const QRectF& box, QColor color);
void Minus(QPainter& painter, const QRectF& box, QColor color);
void Info(QPainter& painter, const QRectF& box, QColor color);

}  // namespace qvpc::ui::icons
