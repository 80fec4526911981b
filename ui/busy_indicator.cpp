#include "ui/busy_indicator.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "ui/icons.h"
#include "ui/toolkit/artwork.h"
#include "ui/toolkit/skin_colors.h"

namespace qvpc::ui {
namespace {

constexpr int kFrameMs = 33;
constexpr qreal kDegreesPerFrame = 4.5;

// The still part: rings and the TV in the middle.
void PaintRadar(QPainter& painter, const QSizeF& size) {
    const QPointF c(size.width() / 2, size.height() / 2);
    const qreal r = size.width() / 2 - 2;
    QRadialGradient floor(c, r);
    floor.setColorAt(0, QColor(0xe9, 0xf7, 0xf0));
    floor.setColorAt(1, QColor(0xf3, 0xf5, 0xf8, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(floor);
    painter.drawEllipse(c, r, r);
    painter.setBrush(Qt::NoBrush);
    for (qreal share : {1.0, 0.72, 0.44}) {
        painter.setPen(QPen(QColor(0xd5, 0xdb, 0xe3), 1.5));
        painter.drawEllipse(c, r * share, r * share);
    }
    painter.setPen(QPen(QColor(0xe2, 0xe6, 0xec), 1));
    painter.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    painter.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    painter.setPen(QPen(QColor(0xd5, 0xdb, 0xe3), 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(c, r * 0.26, r * 0.26);
    const qreal icon = r * 0.3;
    icons::Tv(painter, QRectF(c.x() - icon / 2, c.y() - icon / 2 - 1, icon, icon),
              QColor::fromRgb(skin::kSlate));
}

}  // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_timer.setInterval(kFrameMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = std::fmod(m_angle + kDegreesPerFrame, 360);
        update();
    });
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(
        0, 0, CachedPixmap(QStringLiteral("busy.radar"), size(), devicePixelRatioF(), PaintRadar));
    const QPointF c(width() / 2.0, height() / 2.0);
    const qreal r = width() / 2.0 - 2;
    const qreal inner = r * 0.26;

    // The sweep: a wedge that fades behind its leading edge, with the hub cut out.
    QConicalGradient sweep(c, -m_angle);
    QColor lead = QColor::fromRgb(skin::kAccent);
    lead.setAlpha(110);
    QColor tail = lead;
    tail.setAlpha(0);
    sweep.setColorAt(0, lead);
    sweep.setColorAt(0.25, tail);
    sweep.setColorAt(1, tail);
    QPainterPath wedge;
    wedge.moveTo(c);
    wedge.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), -m_angle, 90);
    wedge.closeSubpath();
    QPainterPath hub;
    hub.addEllipse(c, inner, inner);
    painter.fillPath(wedge.subtracted(hub), sweep);
    const qreal a = -m_angle * M_PI / 180;
    QPen edge(QColor::fromRgb(skin::kAccent), 2);
    edge.setCapStyle(Qt::RoundCap);
    painter.setPen(edge);
    painter.drawLine(c + QPointF(std::cos(a), -std::sin(a)) * inner,
                     c + QPointF(std::cos(a), -std::sin(a)) * r);
}

void BusyIndicator::showEvent(QShowEvent*) {
    m_timer.start();
}

void BusyIndicator::hideEvent(QHideEvent*) {
    m_timer.stop();
}

}  // namespace qvpc::ui
