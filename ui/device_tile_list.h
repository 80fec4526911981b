#pragma once

#include <optional>
#include <vector>

#include "base/screen.h"
#include "ui/toolkit/owner_drawn_list.h"

namespace qvpc::ui {

// Page 2's list of device tiles: 206 × 206 tiles in as many columns as fit,
// 60 pixels apart across and 30 down, the first row 30 pixels below the top.
// Positions are 0-based from the front; new tiles go in front.
class DeviceTileList : public OwnerDrawnList {
    Q_OBJECT

  public:
    static constexpr int kTileSize = 206;
    static constexpr int kGapX = 60;
    static constexpr int kGapY = 30;

    explicit DeviceTileList(QWidget* parent = nullptr);

    void clear();
    void addInFront(const DeviceTile& tile);
    std::optional<int> find(const std::string& address) const;
    std::optional<DeviceTile> tile(int position) const;
    void setPort(int position, int port);
    void resetScroll();
    int count() const { return static_cast<int>(m_tiles.size()); }

    QRect itemRect(int index) const override;

  protected:
    int itemCount() const override { return count(); }
    int contentHeight() const override;
    void paintItem(QPainter& painter, int index, const QRect& rect, ItemState state) override;

  private:
    int columns() const;

    std::vector<DeviceTile> m_tiles;
};

}  // namespace qvpc::ui
