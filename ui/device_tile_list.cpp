#include "ui/device_tile_list.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/icons.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"

namespace qvpc::ui {
namespace {

// The tile's picture part (the white tile image is 206 × 159); the rest is
// the strip that carries the button text.
constexpr int kImageHeight = 159;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

void PaintCard(QPainter& painter, const QRectF& card, bool hot, bool pressed) {
    QPainterPath shape;
    shape.addRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.fillPath(shape, QColor::fromRgb(skin::kPanel));
    painter.setPen(
        QPen(hot || pressed ? QColor::fromRgb(skin::kAccent) : QColor::fromRgb(skin::kHairline),
             hot || pressed ? 1.5 : 1));
    painter.drawPath(shape);
}

void PaintStrip(QPainter& painter, const QRectF& card, const QString& text, QColor ink, bool hot,
                bool pressed) {
    const QRectF strip(card.left(), card.top() + kImageHeight, card.width(),
                       card.height() - kImageHeight);
    if (hot || pressed) {
        QPainterPath shape;
        shape.addRoundedRect(strip.adjusted(1, 0, -1, -1), 7, 7);
        QPainterPath square;
        square.addRect(strip.adjusted(1, 0, -1, -strip.height() / 2));
        painter.fillPath(shape.united(square), pressed ? QColor::fromRgb(skin::kAccentPressed)
                                                       : QColor::fromRgb(skin::kAccent));
        ink = Qt::white;
    } else {
        painter.setPen(QPen(QColor::fromRgb(skin::kHairline), 1));
        painter.drawLine(QPointF(strip.left() + 14, strip.top() + 0.5),
                         QPointF(strip.right() - 14, strip.top() + 0.5));
    }
    painter.setFont(SkinFont(16));
    painter.setPen(ink);
    painter.drawText(strip, Qt::AlignCenter, text);
}

void PaintDevice(QPainter& painter, const QRectF& card, const DeviceTile& tile) {
    const QPointF c(card.center().x(), card.top() + 58);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xee, 0xf1, 0xf5));
    painter.drawEllipse(c, 38, 38);
    icons::Tv(painter, QRectF(c.x() - 26, c.y() - 27, 52, 52), QColor::fromRgb(skin::kSlate));
    painter.setFont(SkinFont(18, true));
    painter.setPen(QColor::fromRgb(skin::kTextStrong));
    const QRectF text(card.left() + 8, card.top() + 104, card.width() - 16, 24);
    painter.drawText(
        text, Qt::AlignCenter,
        painter.fontMetrics().elidedText(Q(tile.address), Qt::ElideRight, int(text.width())));
    painter.setFont(SkinFont(14));
    painter.setPen(QColor::fromRgb(skin::kTextMuted));
    const QRectF name = text.translated(0, 26);
    painter.drawText(
        name, Qt::AlignCenter,
        painter.fontMetrics().elidedText(Q(tile.name), Qt::ElideRight, int(name.width())));
}

void PaintManual(QPainter& painter, const QRectF& card, const DeviceTile& tile) {
    const QPointF c(card.center().x(), card.top() + 62);
    QPen dash(QColor(0xb8, 0xc0, 0xcc), 1.5);
    dash.setDashPattern({4, 3});
    painter.setPen(dash);
    painter.setBrush(QColor(0xf7, 0xf8, 0xfa));
    painter.drawEllipse(c, 36, 36);
    icons::Plus(painter, QRectF(c.x() - 22, c.y() - 22, 44, 44), QColor(0x9a, 0xa3, 0xb3));
    painter.setFont(SkinFont(16));
    painter.setPen(QColor::fromRgb(skin::kText));
    painter.drawText(QRectF(card.left(), card.top() + 112, card.width(), 26), Qt::AlignCenter,
                     Q(tile.name));
}

}  // namespace

DeviceTileList::DeviceTileList(QWidget* parent) : OwnerDrawnList(parent) {}

void DeviceTileList::clear() {
    m_tiles.clear();
    refresh();
}

void DeviceTileList::addInFront(const DeviceTile& tile) {
    m_tiles.insert(m_tiles.begin(), tile);
    refresh();
}

std::optional<int> DeviceTileList::find(const std::string& address) const {
    for (int i = 0; i < count(); ++i) {
        if (m_tiles[i].address == address) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<DeviceTile> DeviceTileList::tile(int position) const {
    if (position < 0 || position >= count()) {
        return std::nullopt;
    }
    return m_tiles[position];
}

void DeviceTileList::setPort(int position, int port) {
    if (position >= 0 && position < count()) {
        m_tiles[position].port = port;
    }
}

void DeviceTileList::resetScroll() {
    setScrollOffset(0);
    refresh();
}

int DeviceTileList::columns() const {
    return std::max(1, (width() + kGapX) / (kTileSize + kGapX));
}

QRect DeviceTileList::itemRect(int index) const {
    const int column = index % columns();
    const int row = index / columns();
    return {column * (kTileSize + kGapX), kGapY + row * (kTileSize + kGapY), kTileSize, kTileSize};
}

int DeviceTileList::contentHeight() const {
    const int rows = (count() + columns() - 1) / columns();
    return kGapY + rows * (kTileSize + kGapY);
}

void DeviceTileList::paintItem(QPainter& painter, int index, const QRect& rect, ItemState state) {
    const DeviceTile& tile = m_tiles[index];
    const QRectF card(rect);
    const bool manual = tile.buttonText != "连接";
    PaintCard(painter, card, state.hot, state.pressed);
    if (manual) {
        PaintManual(painter, card, tile);
    } else {
        PaintDevice(painter, card, tile);
    }
    PaintStrip(painter, card, Q(tile.buttonText),
               manual ? QColor::fromRgb(skin::kSlate) : QColor::fromRgb(skin::kAccent), state.hot,
               state.pressed);
}

}  // namespace qvpc::ui
