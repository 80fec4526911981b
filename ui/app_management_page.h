#pragma once

#include <optional>

#include "base/app_management_views.h"
#include "ui/page.h"

namespace qvpc::ui {

class CatalogLeftList;
class CatalogPager;
class CatalogTileGrid;
class InstalledAppList;

// Page 9: the header, the title, the small "返回", the left list of
// categories, the catalog's tile grid with its pager under it, and in their
// place, when chosen, the installed-app list.
class AppManagementPage : public Page {
    Q_OBJECT

  public:
    explicit AppManagementPage(QWidget* parent);

    // The grid and the pager, or the installed-app list in their place.
    void showCatalogView();
    void showInstalledView();
    bool isCatalogView() const;

    CatalogLeftList& leftList() { return *m_leftList; }
    CatalogTileGrid& tileGrid() { return *m_tileGrid; }
    CatalogPager& pager() { return *m_pager; }
    InstalledAppList& installedList() { return *m_installedList; }

    void setCatalogTileState(int position, const QString& state);
    QString catalogTileState(int position) const;
    void clearAppRows();
    void addAppRow(const InstalledAppRow& row);
    std::optional<InstalledAppRow> appRow(int position) const;
    RowRect appRowButton(int position) const;
    std::optional<int> selectedAppRow() const;
    void setAppRowState(int row, int state);
    int upgradeCount() const;
    void setUpgradeCount(int count);
    void setUninstallCount(int count);

  private:
    CatalogLeftList* m_leftList;
    CatalogTileGrid* m_tileGrid;
    CatalogPager* m_pager;
    InstalledAppList* m_installedList;
};

}  // namespace qvpc::ui
