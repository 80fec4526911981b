#include "ui/catalog_left_list.h"

#include <QMouseEvent>
#include <QPainter>

#include "base/catalog_categories.h"
#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

constexpr int kCategoryCount = static_cast<int>(kCatalogCategories.size());
constexpr int kUninstallRow = kCategoryCount;
constexpr int kUpgradeRow = kCategoryCount + 1;
constexpr QSize kLabelSize{96, 22};

}  // namespace

CatalogLeftList::CatalogLeftList(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect CatalogLeftList::categoryRow(int category) {
    return {0, kHeaderHeight + category * kCategoryRowHeight, 154, kCategoryRowHeight};
}

QRect CatalogLeftList::actionRow(Action action) {
    const int index = action == Action::Uninstall ? 0 : 1;
    return {0, kActionsTop + index * kActionRowHeight, 154, kActionRowHeight};
}

int CatalogLeftList::rowAt(const QPoint& point) {
    for (int i = 0; i < kCategoryCount; ++i) {
        if (categoryRow(i).contains(point)) {
            return i;
        }
    }
    if (actionRow(Action::Uninstall).contains(point)) {
        return kUninstallRow;
    }
    if (actionRow(Action::Upgrade).contains(point)) {
        return kUpgradeRow;
    }
    return -1;
}

void CatalogLeftList::selectCategory(std::optional<int> category) {
    m_selected = category;
    m_selectedAction.reset();
    update();
}

void CatalogLeftList::setCount(Action action, int count) {
    (action == Action::Uninstall ? m_uninstallCount : m_upgradeCount) = count;
    update();
}

int CatalogLeftList::count(Action action) const {
    return action == Action::Uninstall ? m_uninstallCount : m_upgradeCount;
}

void CatalogLeftList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor::fromRgb(skin::kListPanel));
    painter.setFont(SkinFont(16, true));
    painter.setPen(QColor::fromRgb(skin::kListText));
    painter.drawText(QRect(0, 0, width(), kHeaderHeight), Qt::AlignCenter,
                     QString::fromUtf8("应用下载"));

    const qreal ratio = devicePixelRatioF();
    for (int i = 0; i < kCategoryCount; ++i) {
        const QRect row = categoryRow(i);
        if (m_selected == i) {
            painter.fillRect(row, QColor::fromRgb(skin::kListSelected));
        } else if (m_hot == i) {
            painter.fillRect(row, QColor::fromRgb(skin::kListHover));
        }
        const QRect label(QPoint(row.left() + 30, row.center().y() - kLabelSize.height() / 2 + 1),
                          kLabelSize);
        painter.drawPixmap(label.topLeft(), pictures::CategoryLabel(i).pixmap(kLabelSize, ratio));
    }

    // The two actions under a hairline of their own.
    painter.setPen(QColor::fromRgb(skin::kListSelected));
    painter.drawLine(QPointF(16, kActionsTop - 8.5), QPointF(width() - 16, kActionsTop - 8.5));
    const struct {
        Action action;
        int row;
        const char* text;
    } actions[] = {{Action::Uninstall, kUninstallRow, "卸载应用"},
                   {Action::Upgrade, kUpgradeRow, "升级应用"}};
    for (const auto& entry : actions) {
        const QRect row = actionRow(entry.action);
        QRgb ink = skin::kListText;
        if (m_pressed == entry.row) {
            ink = skin::kListPressedText;
        } else if (m_selectedAction == entry.action) {
            painter.fillRect(row, QColor::fromRgb(skin::kListSelected));
            ink = skin::kWhite;
        } else if (m_hot == entry.row) {
            painter.fillRect(row, QColor::fromRgb(skin::kListHover));
            ink = skin::kWhite;
        }
        painter.setFont(SkinFont(15));
        painter.setPen(QColor::fromRgb(ink));
        const QRect text = row.adjusted(30, 0, 0, 0);
        const QString label = QString::fromUtf8(entry.text);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, label);
        const int n = count(entry.action);
        if (n >= 0) {
            const int after = painter.fontMetrics().horizontalAdvance(label) + 4;
            painter.setPen(QColor::fromRgb(skin::kListPressedText));
            painter.drawText(text.adjusted(after, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("(%1)").arg(n));
        }
    }
}

void CatalogLeftList::mouseMoveEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint());
    if (row != m_hot) {
        m_hot = row;
        setCursor(row >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void CatalogLeftList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = rowAt(event->position().toPoint());
        update();
    }
}

void CatalogLeftList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int pressed = m_pressed;
    m_pressed = -1;
    update();
    // Only a click that starts and ends on the same row chooses it.
    if (pressed < 0 || rowAt(event->position().toPoint()) != pressed) {
        return;
    }
    if (pressed < kCategoryCount) {
        selectCategory(pressed);
        emit categoryClicked(pressed);
    } else {
        const Action action = pressed == kUninstallRow ? Action::Uninstall : Action::Upgrade;
        selectCategory(std::nullopt);
        m_selectedAction = action;
        emit actionClicked(action);
    }
}

void CatalogLeftList::leaveEvent(QEvent*) {
    m_hot = -1;
    update();
}

}  // namespace qvpc::ui
