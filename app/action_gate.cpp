#include "app/action_gate.h"

#include <utility>

namespace qvpc {

namespace {

// Marks the gate busy for as long as it lives, whatever way the work leaves.
struct BusyWhile {
    explicit BusyWhile(bool& busy) : busy(busy) { busy = true; }
    ~BusyWhile() { busy = false; }
    bool& busy;
};

}  // namespace

template <class Action>
void ActionGate::run(Action&& action) {
    if (m_busy) {
        return;
    }
    {
        BusyWhile busy(m_busy);
        std::forward<Action>(action)();
    }
    runDeferred();
}

void ActionGate::runWhenIdle(std::function<void()> work) {
    m_deferred.push_back(std::move(work));
    runDeferred();
}

void ActionGate::runDeferred() {
    while (!m_busy && !m_deferred.empty()) {
        std::function<void()> work = std::move(m_deferred.front());
        m_deferred.pop_front();
        BusyWhile busy(m_busy);
        work();
    }
}

void ActionGate::startLanScan() {
    run([&] { m_inner.startLanScan(); });
}

void ActionGate::connectTypedAddress(const std::string& typed) {
    run([&] { m_inner.connectTypedAddress(typed); });
}

void ActionGate::finishGuide() {
    run([&] { m_inner.finishGuide(); });
}

void ActionGate::disconnect() {
    run([&] { m_inner.disconnect(); });
}

void ActionGate::connectToTile(const DeviceTile& tile) {
    run([&] { m_inner.connectToTile(tile); });
}

void ActionGate::retryConnect() {
    run([&] { m_inner.retryConnect(); });
}

void ActionGate::enterRemoteInstall() {
    run([&] { m_inner.enterRemoteInstall(); });
}

void ActionGate::enterAppManagement() {
    run([&] { m_inner.enterAppManagement(); });
}

void ActionGate::leaveAppManagement() {
    run([&] { m_inner.leaveAppManagement(); });
}

void ActionGate::installMarketApp() {
    run([&] { m_inner.installMarketApp(); });
}

void ActionGate::installApk(const std::string& path, const std::string& itemKey) {
    run([&] { m_inner.installApk(path, itemKey); });
}

void ActionGate::onFilesDropped(const std::string& text) {
    run([&] { m_inner.onFilesDropped(text); });
}

void ActionGate::onDropAreaClick() {
    run([&] { m_inner.onDropAreaClick(); });
}

void ActionGate::showCatalogCategory(int category) {
    run([&] { m_inner.showCatalogCategory(category); });
}

void ActionGate::showCatalogPage(int page) {
    run([&] { m_inner.showCatalogPage(page); });
}

void ActionGate::downloadCatalogApp(int position) {
    run([&] { m_inner.downloadCatalogApp(position); });
}

void ActionGate::loadInstalledApps() {
    run([&] { m_inner.loadInstalledApps(); });
}

void ActionGate::showUpgradeList() {
    run([&] { m_inner.showUpgradeList(); });
}

void ActionGate::onInstalledRowClick(int position, int x, int y) {
    run([&] { m_inner.onInstalledRowClick(position, x, y); });
}

void ActionGate::takeScreenshot() {
    run([&] { m_inner.takeScreenshot(); });
}

void ActionGate::saveScreenshotAs() {
    run([&] { m_inner.saveScreenshotAs(); });
}

void ActionGate::openScreenshotFolder() {
    run([&] { m_inner.openScreenshotFolder(); });
}

void ActionGate::checkForUpdate() {
    run([&] { m_inner.checkForUpdate(); });
}

}  // namespace qvpc
