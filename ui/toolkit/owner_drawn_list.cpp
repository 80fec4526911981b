#include "ui/toolkit/owner_drawn_list.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace qvpc::ui {
namespace {

constexpr int kScrollBarWidth = 8;
constexpr int kWheelStep = 60;

}  // namespace

OwnerDrawnList::OwnerDrawnList(QWidget* parent)
    : QWidget(parent), m_scrollBar(new QScrollBar(Qt::Vertical, this)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    m_scrollBar->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(65, 74, 95, 90); border-radius: 4px;"
        " min-height: 40px; }"
        "QScrollBar::handle:vertical:hover { background: rgba(65, 74, 95, 150); }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }"));
    m_scrollBar->setSingleStep(kWheelStep);
    m_scrollBar->hide();
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this] { update(); });
}

int OwnerDrawnList::scrollOffset() const {
    return m_scrollBar->value();
}

void OwnerDrawnList::setScrollOffset(int offset) {
    m_scrollBar->setValue(offset);
}

int OwnerDrawnList::itemAt(const QPoint& contentPoint) const {
    for (int i = 0; i < itemCount(); ++i) {
        if (itemRect(i).contains(contentPoint)) {
            return i;
        }
    }
    return -1;
}

void OwnerDrawnList::refresh() {
    const int overflow = std::max(0, contentHeight() - height());
    m_scrollBar->setRange(0, overflow);
    m_scrollBar->setPageStep(height());
    m_scrollBar->setVisible(overflow > 0);
    if (m_hot >= itemCount()) {
        m_hot = -1;
    }
    if (m_pressed >= itemCount()) {
        m_pressed = -1;
    }
    update();
}

void OwnerDrawnList::paintBackground(QPainter&) {}

void OwnerDrawnList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintBackground(painter);
    painter.translate(0, -scrollOffset());
    const QRect visible(0, scrollOffset(), width(), height());
    for (int i = 0; i < itemCount(); ++i) {
        const QRect area = itemRect(i);
        if (!area.intersects(visible)) {
            continue;
        }
        painter.save();
        paintItem(painter, i, area, {i == m_hot, i == m_pressed});
        painter.restore();
    }
}

void OwnerDrawnList::resizeEvent(QResizeEvent*) {
    placeScrollBar();
    refresh();
}

void OwnerDrawnList::mouseMoveEvent(QMouseEvent* event) {
    setHot(itemAt(toContent(event->position())));
}

void OwnerDrawnList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = itemAt(toContent(event->position()));
    update();
}

void OwnerDrawnList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint point = toContent(event->position());
    const int pressed = std::exchange(m_pressed, -1);
    update();
    if (pressed >= 0 && itemAt(point) == pressed) {
        emit itemClicked(pressed, point);
    }
}

void OwnerDrawnList::leaveEvent(QEvent*) {
    setHot(-1);
}

void OwnerDrawnList::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    m_scrollBar->setValue(m_scrollBar->value() - steps * kWheelStep);
    setHot(itemAt(toContent(event->position())));
    event->accept();
}

QPoint OwnerDrawnList::toContent(const QPointF& widgetPoint) const {
    return widgetPoint.toPoint() + QPoint(0, scrollOffset());
}

void OwnerDrawnList::setHot(int index) {
    if (index != m_hot) {
        m_hot = index;
        setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void OwnerDrawnList::placeScrollBar() {
    m_scrollBar->setGeometry(width() - kScrollBarWidth - 2, 4, kScrollBarWidth, height() - 8);
}

}  // namespace qvpc::ui
