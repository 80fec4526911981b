#pragma once

#include <functional>

#include "base/user_actions.h"

namespace qvpc {

class Connector;
class LocalInstaller;
class Screen;
class Screenshot;
class SharedState;
class TaskShell;

// The core's answers to what the pages ask; the actions that later parts of
// the program bring keep the defaults of UserActions until then.
class AppActions : public UserActions {
  public:
    struct Parts {
        SharedState& state;
        TaskShell& shell;
        Screen& screen;
        Connector& connector;
        LocalInstaller& installer;
        Screenshot& screenshot;
        std::function<void()> startLanScan;
    };

    explicit AppActions(Parts parts);

    void startLanScan() override;
    void connect(const std::string& ip, const std::string& mac) override;
    void disconnect() override;
    void connectToTile(const DeviceTile& tile) override;
    // Another connect to the current box ("再试一次" after a failed connect,
    // the end of the guide).
    void retryConnect() override;
    std::string currentIp() override;

    // The home page's remote install tile.
    void enterRemoteInstall() override;
    void installApk(const std::string& path, const std::string& itemKey) override;
    void onFilesDropped(const std::string& text) override;
    void onDropAreaClick() override;

    void takeScreenshot() override;
    void saveScreenshotAs() override;
    void openScreenshotFolder() override;

  private:
    Parts m_parts;
};

}  // namespace qvpc
