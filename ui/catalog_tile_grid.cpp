#include "ui/catalog_tile_grid.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/pictures.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

constexpr QSize kButtonSize{60, 23};
// A picture larger than this is no icon; reading it would only cost time.
constexpr qint64 kIconFileLimit = 2 * 1024 * 1024;
const QString kInstall = QString::fromUtf8("安装");
const QString kInstalled = QString::fromUtf8("已安装");

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The icon at the grid's size, or a null pixmap when the file holds none.
QPixmap LoadIcon(const std::string& path, qreal ratio) {
    if (path.empty()) {
        return {};
    }
    QImageReader reader(Q(path));
    if (reader.device() && reader.device()->size() > kIconFileLimit) {
        return {};
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    const int side = qRound(CatalogTileGrid::kIconSize * ratio);
    QPixmap icon =
        QPixmap::fromImage(image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon.setDevicePixelRatio(ratio);
    return icon;
}

void DrawElided(QPainter& painter, const QRect& box, const QString& text) {
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, box.width()));
}

}  // namespace

CatalogTileGrid::CatalogTileGrid(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
}

QRect CatalogTileGrid::cellRect(int position) {
    const int index = position - 1;
    return {(index % 3) * (kTileSize.width() + kGap), (index / 3) * (kTileSize.height() + kGap),
            kTileSize.width(), kTileSize.height()};
}

QRect CatalogTileGrid::buttonRect(int position) {
    const QRect cell = cellRect(position);
    return {cell.left() + 103, cell.top() + 74, kButtonSize.width(), kButtonSize.height()};
}

void CatalogTileGrid::clear() {
    for (auto& slot : m_slots) {
        slot.reset();
    }
    m_hot = m_pressed = 0;
    update();
}

void CatalogTileGrid::addTile(int position, const CatalogTile& tile) {
    if (position < 1 || position > kTiles) {
        return;
    }
    m_slots[position - 1] = Slot{tile, LoadIcon(tile.iconPath, devicePixelRatioF())};
    update(cellRect(position));
}

std::optional<CatalogTile> CatalogTileGrid::tile(int position) const {
    if (position < 1 || position > kTiles || !m_slots[position - 1]) {
        return std::nullopt;
    }
    return m_slots[position - 1]->tile;
}

void CatalogTileGrid::setState(int position, const QString& state) {
    if (position < 1 || position > kTiles || !m_slots[position - 1]) {
        return;
    }
    m_slots[position - 1]->tile.state = state.toStdString();
    update(cellRect(position));
}

QString CatalogTileGrid::state(int position) const {
    const std::optional<CatalogTile> found = tile(position);
    return found ? Q(found->state) : QString();
}

int CatalogTileGrid::count() const {
    int n = 0;
    for (const auto& slot : m_slots) {
        n += slot ? 1 : 0;
    }
    return n;
}

void CatalogTileGrid::setNotice(const QString& text) {
    m_notice = text;
    update();
}

int CatalogTileGrid::buttonAt(const QPoint& point) const {
    for (int position = 1; position <= kTiles; ++position) {
        if (m_slots[position - 1] && buttonRect(position).contains(point)) {
            return position;
        }
    }
    return 0;
}

void CatalogTileGrid::paintTile(QPainter& painter, int position, const Slot& slot) {
    const QRect cell = cellRect(position);
    painter.fillRect(cell, QColor::fromRgb(skin::kPanel));

    const QRect iconBox(cell.left() + 12, cell.top() + 12, kIconSize, kIconSize);
    if (slot.icon.isNull()) {
        painter.drawPixmap(iconBox.topLeft(),
                           pictures::IconPlaceholder().pixmap(iconBox.size(), devicePixelRatioF()));
    } else {
        const QSizeF shown = slot.icon.deviceIndependentSize();
        painter.drawPixmap(QPointF(iconBox.left() + (kIconSize - shown.width()) / 2,
                                   iconBox.top() + (kIconSize - shown.height()) / 2),
                           slot.icon);
    }

    const int textLeft = cell.left() + 103;
    const int textWidth = cell.width() - 103 - 8;
    painter.setFont(SkinFont(18));
    painter.setPen(QColor(0, 0, 0));
    DrawElided(painter, QRect(textLeft, cell.top() + 11, textWidth, 24), Q(slot.tile.name));
    painter.setFont(SkinFont(12));
    painter.setPen(QColor::fromRgb(skin::kTextMuted));
    DrawElided(painter, QRect(textLeft, cell.top() + 38, textWidth, 16), Q(slot.tile.version));
    DrawElided(painter, QRect(textLeft, cell.top() + 54, textWidth, 16), Q(slot.tile.size));

    const QString state = Q(slot.tile.state);
    const bool done = state == kInstalled;
    const bool hot = state == kInstall && m_hot == position;
    const QColor ink = QColor::fromRgb(done ? skin::kTileDone : skin::kAccent);
    const QRectF button = QRectF(buttonRect(position)).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(ink, 1));
    painter.setBrush(
        hot ? QBrush(QColor::fromRgb(m_pressed == position ? skin::kAccentPressed : skin::kAccent))
            : QBrush(QColor::fromRgb(skin::kPanel)));
    painter.drawRoundedRect(button, 3, 3);
    painter.setFont(SkinFont(15));
    painter.setPen(hot ? QColor::fromRgb(skin::kWhite) : ink);
    painter.drawText(buttonRect(position), Qt::AlignCenter, state);
}

void CatalogTileGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int position = 1; position <= kTiles; ++position) {
        if (const auto& slot = m_slots[position - 1]) {
            paintTile(painter, position, *slot);
        }
    }
    if (!m_notice.isEmpty()) {
        const QRect band(0, 130, width(), 60);
        painter.setFont(SkinFont(18));
        painter.setPen(QColor::fromRgb(skin::kText));
        painter.drawText(band, Qt::AlignCenter, m_notice);
    }
}

void CatalogTileGrid::mouseMoveEvent(QMouseEvent* event) {
    const int position = buttonAt(event->position().toPoint());
    if (position != m_hot) {
        m_hot = position;
        const bool active = position > 0 && state(position) == kInstall;
        setCursor(active ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void CatalogTileGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = buttonAt(event->position().toPoint());
        update();
    }
}

void CatalogTileGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int pressed = std::exchange(m_pressed, 0);
    update();
    if (pressed > 0 && buttonAt(event->position().toPoint()) == pressed &&
        state(pressed) == kInstall) {
        emit actionClicked(pressed);
    }
}

void CatalogTileGrid::leaveEvent(QEvent*) {
    m_hot = 0;
    update();
}

}  // namespace qvpc::ui
