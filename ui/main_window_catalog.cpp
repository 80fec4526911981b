// Page 9's catalog widgets and installed-app list, wired to the core's actions.
#include "ui/app_management_page.h"
#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/installed_app_list.h"
#include "ui/main_window.h"

namespace qvpc::ui {

void MainWindow::connectCatalog() {
    AppManagementPage& page = *m_appManagement;
    connect(&page.leftList(), &CatalogLeftList::categoryClicked, this, [this](int category) {
        m_appManagement->showCatalogView();
        // A new list starts its own run of pages.
        m_appManagement->pager().setPages(0, 0);
        m_actions->showCatalogCategory(category);
    });
    connect(&page.leftList(), &CatalogLeftList::actionClicked, this,
            [this](CatalogLeftList::Action action) {
                m_appManagement->showInstalledView();
                if (action == CatalogLeftList::Action::Uninstall) {
                    m_actions->loadInstalledApps();
                } else {
                    m_actions->showUpgradeList();
                }
            });
    connect(&page.pager(), &CatalogPager::pageChosen, this,
            [this](int chosen) { m_actions->showCatalogPage(chosen); });
    connect(&page.tileGrid(), &CatalogTileGrid::actionClicked, this,
            [this](int position) { m_actions->downloadCatalogApp(position); });
    connect(&page.installedList(), &InstalledAppList::rowClicked, this,
            [this](int position, QPoint point) {
                m_actions->onInstalledRowClick(position, point.x(), point.y());
            });
}

}  // namespace qvpc::ui
