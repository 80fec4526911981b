#pragma once

#include <string>

#include "base/screen.h"

namespace qvpc {

// What the pages ask the core to do. The window's button dispatcher logs a
// click and then calls one of these; each runs on the user-interface thread
// and starts its own threads where the work is long. The defaults do nothing,
// so the window works before every operation behind it exists.
class UserActions {
  public:
    virtual ~UserActions() = default;

    // Devices and the connection.
    virtual void startLanScan() {}
    // Page 7's "连接" with the address as typed; a malformed one is refused
    // with a message.
    virtual void connectTypedAddress(const std::string& /*typed*/) {}
    virtual void disconnect() {}
    virtual void connectToTile(const DeviceTile& /*tile*/) {}
    virtual void retryConnect() {}  // connects again to the current device
    // The guide's last button: connect again to the current box, or ask for
    // an address when there is none.
    virtual void finishGuide() {}

    // Home page and its pages.
    virtual void enterRemoteInstall() {}
    virtual void enterAppManagement() {}
    virtual void leaveAppManagement() {}
    virtual void installMarketApp() {}
    virtual void installApk(const std::string& /*path*/, const std::string& /*itemKey*/) {}
    virtual void onFilesDropped(const std::string& /*text*/) {}
    virtual void onDropAreaClick() {}

    // Page 9's catalog: a category of the left list (0-based, in the order
    // of kCatalogCategories), the page the pager chose, and the action
    // button of the tile at a grid position (1-based).
    virtual void showCatalogCategory(int /*category*/) {}
    virtual void showCatalogPage(int /*page*/) {}
    virtual void downloadCatalogApp(int /*position*/) {}
    // Page 9's installed-app side: the left list's "卸载应用" (the apps on
    // the box) and "升级应用" (those the download server has newer), and a
    // click on a row at a point in the row's own coordinates.
    virtual void loadInstalledApps() {}
    virtual void showUpgradeList() {}
    virtual void onInstalledRowClick(int /*position*/, int /*x*/, int /*y*/) {}

    // Screenshot and its menu.
    virtual void takeScreenshot() {}
    virtual void saveScreenshotAs() {}
    virtual void openScreenshotFolder() {}

    // The progress popup's close button.
    virtual void abortCompanionBootstrap() {}

    // Footer.
    virtual void checkForUpdate() {}
};

}  // namespace qvpc
