#pragma once

#include <functional>

#include "base/user_actions.h"

namespace qvpc {

class Screen;
class TaskShell;
struct CoreParts;

// The core's answers to what the pages ask; the actions that later parts of
// the program bring keep the defaults of UserActions until then.
class AppActions : public UserActions {
  public:
    AppActions(CoreParts& parts, TaskShell& shell, Screen& screen,
               std::function<void()> startLanScan);

    void startLanScan() override;
    void connectTypedAddress(const std::string& typed) override;
    void disconnect() override;
    void connectToTile(const DeviceTile& tile) override;
    // Another connect to the current box ("再试一次" after a failed connect,
    // the end of the guide).
    void retryConnect() override;
    void finishGuide() override;

    // The home page's remote install tile.
    void enterRemoteInstall() override;
    void installApk(const std::string& path, const std::string& itemKey) override;
    void onFilesDropped(const std::string& text) override;
    void onDropAreaClick() override;

    // Page 9 and its catalog; the home page's market tile.
    void enterAppManagement() override;
    void showCatalogCategory(int category) override;
    void showCatalogPage(int page) override;
    void downloadCatalogApp(int position) override;
    void loadInstalledApps() override;
    void showUpgradeList() override;
    void onInstalledRowClick(int position, int x, int y) override;
    void abortCompanionBootstrap() override;
    void installMarketApp() override;

    void takeScreenshot() override;
    void saveScreenshotAs() override;
    void openScreenshotFolder() override;

    // The footer's "检查更新": a manual check on a thread of its own.
    void checkForUpdate() override;

  private:
    CoreParts& m_parts;
    TaskShell& m_shell;
    Screen& m_screen;
    std::function<void()> m_startLanScan;
};

}  // namespace qvpc
