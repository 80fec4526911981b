#include "app/action_gate.h"

#include <utility>

namespace qvpc {

template <class Action>
void ActionGate::run(Action&& action) {
    if (m_busy) {
        return;
    }
    m_busy = true;
    struct Reopen {
        bool& busy;
        ~Reopen() { busy = false; }
    } reopen{m_busy};
    std::forward<Action>(action)();
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
