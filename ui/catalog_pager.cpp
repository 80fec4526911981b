#include "ui/catalog_pager.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

constexpr int kPrevious = -1;
constexpr int kNext = -2;

}  // namespace

CatalogPager::CatalogPager(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CatalogPager::setPages(int pageCount, int selected) {
    m_pageCount = std::max(0, pageCount);
    m_selected = m_pageCount > 0 ? std::clamp(selected, 1, m_pageCount) : 0;
    // The window of buttons keeps the selected page in its middle where it can.
    const int shown = std::min(kMaxButtons, m_pageCount);
    m_first = std::clamp(m_selected - kMaxButtons / 2, 1, std::max(1, m_pageCount - shown + 1));
    update();
}

int CatalogPager::lastShown() const {
    return std::min(m_pageCount, m_first + kMaxButtons - 1);
}

QRect CatalogPager::previousRect() const {
    return {0, 0, kMoveWidth, height()};
}

QRect CatalogPager::nextRect() const {
    return {width() - kMoveWidth, 0, kMoveWidth, height()};
}

QRect CatalogPager::pageButtonRect(int index) const {
    // The buttons shown sit centred between the two moves.
    const int shown = std::max(0, lastShown() - m_first + 1);
    const int run = shown * kButtonWidth + std::max(0, shown - 1) * kSpacing;
    const int left = (width() - run) / 2;
    return {left + index * (kButtonWidth + kSpacing), 0, kButtonWidth, height()};
}

int CatalogPager::targetAt(const QPoint& point) const {
    if (previousRect().contains(point)) {
        return kPrevious;
    }
    if (nextRect().contains(point)) {
        return kNext;
    }
    for (int page = m_first; page <= lastShown(); ++page) {
        if (pageButtonRect(page - m_first).contains(point)) {
            return page;
        }
    }
    return 0;
}

void CatalogPager::choose(int page) {
    setPages(m_pageCount, page);
    emit pageChosen(m_selected);
}

void CatalogPager::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto frame = [&](const QRect& box, bool hot) {
        painter.setPen(QPen(QColor::fromRgb(skin::kPagerBorder), 1));
        painter.setBrush(QColor::fromRgb(hot ? skin::kBody : skin::kPanel));
        painter.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    };
    painter.setFont(SkinFont(13));
    const bool canGoBack = m_selected > 1;
    const bool canGoOn = m_selected > 0 && m_selected < m_pageCount;
    const struct {
        QRect box;
        bool possible;
        int target;
        const char* text;
    } moves[] = {{previousRect(), canGoBack, kPrevious, "上一页"},
                 {nextRect(), canGoOn, kNext, "下一页"}};
    for (const auto& move : moves) {
        frame(move.box, move.possible && m_hot == move.target);
        painter.setPen(QColor::fromRgb(move.possible ? skin::kText : skin::kPagerDisabled));
        painter.drawText(move.box, Qt::AlignCenter, QString::fromUtf8(move.text));
    }
    for (int page = m_first; page <= lastShown(); ++page) {
        const QRect box = pageButtonRect(page - m_first);
        frame(box, m_hot == page && page != m_selected);
        painter.setPen(QColor::fromRgb(page == m_selected ? skin::kPagerSelected : skin::kText));
        painter.drawText(box, Qt::AlignCenter, QString::number(page));
    }
}

void CatalogPager::mouseMoveEvent(QMouseEvent* event) {
    const int target = targetAt(event->position().toPoint());
    if (target != m_hot) {
        m_hot = target;
        update();
    }
}

void CatalogPager::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_pageCount == 0) {
        return;
    }
    const int target = targetAt(event->position().toPoint());
    if (target == kPrevious) {
        choose(std::max(1, m_selected - 1));
    } else if (target == kNext) {
        choose(std::min(m_pageCount, m_selected + 1));
    } else if (target > 0) {
        choose(target);
    }
}

void CatalogPager::leaveEvent(QEvent*) {
    m_hot = 0;
    update();
}

}  // namespace qvpc::ui
