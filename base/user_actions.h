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
