#pragma once

#include <deque>
#include <functional>

#include "base/user_actions.h"

namespace qvpc {

// Lets one user action run at a time. An action's waits keep the window
// responsive (the check that the box is attached, a pause), so a second
// click meanwhile (a double click on a tile, an install during a screenshot)
// would run a second action inside the first one, and both would read and
// reset the same shell output. Such a click is dropped. The popup's close
// button is exempt: it is how the user stops a long wait of the companion's
// set-up. Runs on the user-interface thread only.
class ActionGate : public UserActions {
  public:
    explicit ActionGate(UserActions& inner) : m_inner(inner) {}

    void startLanScan() override;
    void connectTypedAddress(const std::string& typed) override;
    void disconnect() override;
    void connectToTile(const DeviceTile& tile) override;
    void retryConnect() override;
    void finishGuide() override;

    void enterRemoteInstall() override;
    void enterAppManagement() override;
    void leaveAppManagement() override;
    void installMarketApp() override;
    void installApk(const std::string& path, const std::string& itemKey) override;
    void onFilesDropped(const std::string& text) override;
    void onDropAreaClick() override;

    void showCatalogCategory(int category) override;
    void showCatalogPage(int page) override;
    void downloadCatalogApp(int position) override;
    void loadInstalledApps() override;
    void showUpgradeList() override;
    void onInstalledRowClick(int position, int x, int y) override;

    void takeScreenshot() override;
    void saveScreenshotAs() override;
    void openScreenshotFolder() override;

    void abortCompanionBootstrap() override { m_inner.abortCompanionBootstrap(); }
    void checkForUpdate() override;

    bool busy() const { return m_busy; }

    // Work that must not be dropped, such as a finished download's hand-over
    // to the installation: it runs now when no action runs, else as soon as
    // the running one has returned.
    void runWhenIdle(std::function<void()> work);

  private:
    template <class Action>
    void run(Action&& action);
    void runDeferred();

    UserActions& m_inner;
    bool m_busy = false;
    std::deque<std::function<void()>> m_deferred;
};

}  // namespace qvpc
