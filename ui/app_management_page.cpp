#include "ui/app_management_page.h"

#include <algorithm>

#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/installed_app_list.h"
#include "ui/pictures.h"

namespace qvpc::ui {

AppManagementPage::AppManagementPage(QWidget* parent) : Page(9, parent) {
    addHeader();
    addButton(PageButton::AppManagementBack, {}, {184, 72, 51, 15}, pictures::BackLink());
    m_leftList = new CatalogLeftList(this);
    m_leftList->setGeometry(0, 60, 154, 470);
    m_tileGrid = new CatalogTileGrid(this);
    m_tileGrid->setGeometry(184, 95, 716, 377);
    m_pager = new CatalogPager(this);
    m_pager->setGeometry(414, 484, 250, 30);
    m_installedList = new InstalledAppList(this);
    m_installedList->setGeometry(182, 104, 716, 404);
    m_installedList->hide();
}

void AppManagementPage::showCatalogView() {
    m_installedList->hide();
    m_tileGrid->show();
    m_pager->show();
}

void AppManagementPage::showInstalledView() {
    m_tileGrid->hide();
    m_pager->hide();
    m_installedList->show();
}

bool AppManagementPage::isCatalogView() const {
    return !m_tileGrid->isHidden();
}

void AppManagementPage::setCatalogTileState(int position, const QString& state) {
    m_tileGrid->setState(position, state);
}

QString AppManagementPage::catalogTileState(int position) const {
    return m_tileGrid->state(position);
}

void AppManagementPage::clearAppRows() {
    m_installedList->clear();
}

void AppManagementPage::addAppRow(const InstalledAppRow& row) {
    m_installedList->add(row);
}

std::optional<InstalledAppRow> AppManagementPage::appRow(int position) const {
    return m_installedList->row(position);
}

RowRect AppManagementPage::appRowButton(int position) const {
    return m_installedList->buttonRect(position);
}

std::optional<int> AppManagementPage::selectedAppRow() const {
    return m_installedList->selectedRow();
}

void AppManagementPage::setAppRowState(int row, int state) {
    m_installedList->setState(row, static_cast<AppRowState>(state));
}

int AppManagementPage::upgradeCount() const {
    return std::max(0, m_leftList->count(CatalogLeftList::Action::Upgrade));
}

void AppManagementPage::setUpgradeCount(int count) {
    m_leftList->setCount(CatalogLeftList::Action::Upgrade, std::max(0, count));
}

void AppManagementPage::setUninstallCount(int count) {
    m_leftList->setCount(CatalogLeftList::Action::Uninstall, std::max(0, count));
}

}  // namespace qvpc::ui
