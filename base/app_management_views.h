#pragma once

#include <optional>
#include <string>

namespace qvpc {

// Page 9's catalog side: a tile's state text and the counts of the left
// list's "卸载应用" and "升级应用" entries.
class CatalogView {
  public:
    virtual ~CatalogView() = default;

    virtual void setCatalogTileState(int position, const std::string& state) = 0;
    virtual int upgradeCount() = 0;
    virtual void setUpgradeCount(int count) = 0;
    virtual void setUninstallCount(int count) = 0;
};

// The state of a row of the installed-app list.
enum class AppRowState : int {
    Normal = 0,
    Done = 1,  // uninstalled or upgraded: the row shows its action + "完成!"
};

// A row of page 9's installed-app list.
struct InstalledAppRow {
    std::string icon;  // the icon file's bytes; empty shows no icon
    std::string name;
    std::string version;
    std::string size;
    std::string action;  // "卸载" or "更新"
    std::string downloadUrl;
    AppRowState state = AppRowState::Normal;
    std::string packageName;

    bool operator==(const InstalledAppRow&) const = default;
};

// A rectangle in the coordinates of the row it belongs to (0, 0 is the row's
// top left corner), the same coordinates a row click reports.
struct RowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const RowRect&) const = default;
};

// Whether the point lies in the rectangle: its left and top edges are in,
// its right and bottom edges out.
inline bool PointInRect(const RowRect& rect, int x, int y) {
    return x >= rect.left && x < rect.left + rect.width && y >= rect.top &&
           y < rect.top + rect.height;
}

// Page 9's installed-app list. Rows are addressed by their 1-based position;
// the selected row is the one last clicked.
class InstalledAppsView {
  public:
    virtual ~InstalledAppsView() = default;

    virtual void clearAppRows() = 0;
    virtual void addAppRow(const InstalledAppRow& row) = 0;
    virtual std::optional<InstalledAppRow> appRow(int position) = 0;
    virtual RowRect appRowButton(int position) = 0;
    virtual std::optional<int> selectedAppRow() = 0;
    virtual void setAppRowState(int row, AppRowState state) = 0;
};

}  // namespace qvpc
