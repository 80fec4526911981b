#include "companion/upgrade_listing.h"

#include "adb/attachment_check.h"
#include "adb/progress_engine.h"
#include "adb/task_shell.h"
#include "base/screen.h"

namespace qvpc {

UpgradeListing::UpgradeListing(Needs needs) : m_needs(std::move(needs)) {}

void UpgradeListing::ShowUpgradeList() {
    Screen& screen = m_needs.screen;
    screen.clearAppRows();
    screen.ShowPage(PageId::AppManagement);
    if (m_needs.engine.CheckTaskConflict("载入卸载,需要中断操作") ||
        !CheckDeviceAttached(m_needs.shell, m_needs.state, screen, m_needs.startLanScan)) {
        screen.ShowPreviousPage();
        return;
    }
    m_needs.shell.resetOutput();
    if (m_needs.fillUpgradeList) {
        m_needs.fillUpgradeList();
    }
}

}  // namespace qvpc
