#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "base/catalog_views.h"

namespace qvpc::ui {

// Page 9's tile grid "应用列表框": up to nine catalog tiles of 220 × 110, 15
// pixels apart, three rows of three filled left to right, positions 1 to 9.
// A tile shows its icon (a neutral placeholder when the file is missing or
// no picture), name, version, size and its state on its action button;
// only a click inside the button of a tile in "安装" reports the tile. A
// notice, when set, is drawn across the grid.
class CatalogTileGrid : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTiles = 9;
    static constexpr QSize kTileSize{220, 110};
    static constexpr int kGap = 15;
    static constexpr int kIconSize = 85;

    explicit CatalogTileGrid(QWidget* parent = nullptr);

    void clear();
    void addTile(int position, const CatalogTile& tile);
    std::optional<CatalogTile> tile(int position) const;
    void setState(int position, const QString& state);
    QString state(int position) const;
    int count() const;

    void setNotice(const QString& text);
    QString notice() const { return m_notice; }

    // In the grid's coordinates.
    static QRect cellRect(int position);
    static QRect buttonRect(int position);

  signals:
    void actionClicked(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    struct Slot {
        CatalogTile tile;
        QPixmap icon;  // null: the placeholder
    };

    // The position whose action button lies under the point, 0 when none.
    int buttonAt(const QPoint& point) const;
    void paintTile(QPainter& painter, int position, const Slot& slot);

    std::array<std::optional<Slot>, kTiles> m_slots;
    QString m_notice;
    int m_hot = 0;
    int m_pressed = 0;
};

}  // namespace qvpc::ui
