#include "app/app_actions.h"

#include "adb/attachment_check.h"
#include "adb/connector.h"
#include "adb/task_shell.h"
#include "adb/typed_address.h"
#include "app/core_parts.h"
#include "apps/local_install.h"
#include "apps/screenshot.h"
#include "base/catalog_categories.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "base/shared_state.h"

namespace qvpc {
AppActions::AppActions(CoreParts& parts, TaskShell& shell, Screen& screen,
                       std::function<void()> startLanScan)
    : m_parts(parts), m_shell(shell), m_screen(screen), m_startLanScan(std::move(startLanScan)) {}

void AppActions::startLanScan() {
    if (m_startLanScan) {
        m_startLanScan();
    }
}

void AppActions::connectTypedAddress(const std::string& typed) {
    if (!IsTypedAddressAcceptable(typed)) {
        m_screen.MsgBox(Notice({}, "IP地址格式不正确"));
        return;
    }
    m_parts.connector.Connect(typed, {});
}

void AppActions::disconnect() {
    m_parts.connector.Disconnect();
}

void AppActions::connectToTile(const DeviceTile& tile) {
    m_parts.connector.ConnectToTile(tile);
}

void AppActions::retryConnect() {
    const CurrentDevice device = m_parts.state.currentDevice();
    m_parts.connector.Connect(device.ip, device.mac);
}

void AppActions::finishGuide() {
    if (IsTypedAddressAcceptable(m_parts.state.currentIp())) {
        retryConnect();
    } else {
        m_screen.ShowPage(PageId::ManualIp);
    }
}

void AppActions::enterRemoteInstall() {
    if (!CheckDeviceAttached(m_shell, m_parts.state, m_screen, m_startLanScan)) {
        return;
    }
    m_shell.resetOutput();
    m_screen.ShowPage(PageId::RemoteInstall);
}

void AppActions::installApk(const std::string& path, const std::string& itemKey) {
    m_parts.installer.InstallApk(path, itemKey);
}

void AppActions::onFilesDropped(const std::string& text) {
    m_parts.installer.onFilesDropped(text);
}

void AppActions::onDropAreaClick() {
    m_parts.installer.onDropAreaClick();
}

void AppActions::enterAppManagement() {
    m_screen.ShowPage(PageId::AppManagement);
    m_screen.setCatalogPages(0, 0);
    m_parts.catalogPage.showCatalogPage(std::string(kCatalogCategories.front().requestPath), 1);
    // The apps on the box are listed behind the catalog, ready for "卸载应用".
    m_parts.appList.LoadInstalledApps();
}

void AppActions::showCatalogCategory(int category) {
    if (category < 0 || category >= static_cast<int>(kCatalogCategories.size())) {
        return;
    }
    m_parts.catalogPage.showCatalogPage(
        std::string(kCatalogCategories[static_cast<std::size_t>(category)].requestPath), 1);
}

void AppActions::showCatalogPage(int page) {
    m_parts.catalogPage.showCatalogPage(std::nullopt, page);
}

void AppActions::downloadCatalogApp(int position) {
    m_parts.catalogDownloads.downloadTile(position);
}

void AppActions::loadInstalledApps() {
    m_parts.appList.LoadInstalledApps();
}

void AppActions::showUpgradeList() {
    m_parts.upgradeListing.ShowUpgradeList();
}

void AppActions::onInstalledRowClick(int position, int x, int y) {
    m_parts.rowActions.onInstalledRowClick(position, x, y);
}

void AppActions::abortCompanionBootstrap() {
    m_parts.bootstrap.abort();
}

void AppActions::installMarketApp() {
    m_parts.catalogDownloads.installMarketApp();
}

void AppActions::takeScreenshot() {
    m_parts.screenshot.TakeScreenshot();
}

void AppActions::saveScreenshotAs() {
    m_parts.screenshot.SaveScreenshotAs();
}

void AppActions::openScreenshotFolder() {
    m_parts.screenshot.OpenScreenshotFolder();
}

void AppActions::checkForUpdate() {
    m_parts.update.startCheck(true);
}

}  // namespace qvpc
