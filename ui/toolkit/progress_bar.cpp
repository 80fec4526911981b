#include "ui/toolkit/progress_bar.h"

#include <QPainter>
#include <algorithm>

namespace qvpc::ui {

ProgressBar::ProgressBar(QColor fill, QColor track, QWidget* parent)
    : QWidget(parent), m_fill(fill), m_track(track) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ProgressBar::setValue(int value) {
    value = std::clamp(value, 0, 100);
    if (value != m_value) {
        m_value = value;
        update();
    }
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track = QRectF(rect());
    const qreal radius = track.height() / 2;
    painter.setBrush(m_track);
    painter.drawRoundedRect(track, radius, radius);
    if (m_value > 0) {
        QRectF fill = track;
        fill.setWidth(std::max(track.height(), track.width() * m_value / 100.0));
        painter.setBrush(m_fill);
        painter.drawRoundedRect(fill, radius, radius);
    }
}

}  // namespace qvpc::ui
