#pragma once

#include <optional>
#include <string>

namespace qvpc {

// Page 9's catalog side: a tile's state text and the count of the left
// list's "升级应用" entry.
class CatalogView {
  public:
    virtual ~CatalogView() = default;

    virtual void setCatalogTileState(int position, const std::string& state) = 0;
    virtual int upgradeCount() = 0;
    virtual void setUpgradeCount(int count) = 0;
};

// The state of a row of the installed-app list.
enum class AppRowState : int {
    Normal = 0,
    Done = 1,  // uninstalled or upgraded: the row shows "完成!"
};

// Page 9's installed-app list: the selected row and its state.
class InstalledAppsView {
  public:
    virtual ~InstalledAppsView() = default;

    virtual std::optional<int> selectedAppRow() = 0;
    virtual void setAppRowState(int row, AppRowState state) = 0;
};

}  // namespace qvpc
