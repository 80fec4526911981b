#include "devices/lan_scanner.h"

#include "base/log.h"
#include "base/screen.h"
#include "devices/scan_plan.h"

namespace qvpc {

LanScanner::LanScanner(Screen& screen, Log& log, MacLookup& macs, BoxNames& names,
                       std::function<std::vector<std::string>()> addresses)
    : m_screen(screen),
      m_log(log),
      m_addresses(std::move(addresses)),
      m_tiles(screen, macs, names, log, &m_stop) {}

LanScanner::~LanScanner() {
    shutDown();
}

void LanScanner::StartLanScan(int /*port*/) {
    {
        std::lock_guard lock(m_stateMutex);
        // The running scan's lists must not be made anew under its thread.
        if (m_scanning || m_stop) {
            m_log.WriteLog(log_category::kScan, "查找设备: 上一次查找尚未结束");
            return;
        }
        m_scanning = true;
        if (m_thread.joinable()) {
            m_thread.join();  // the last scan's thread, already at its end
        }
    }
    m_screen.processPendingEvents();
    m_screen.ShowBusyPage(
        BusyPageRequest::Enter("正在查找设备 ... ...", "提示：请连接在同一网络环境下"));
    {
        std::lock_guard lock(m_scanLock);
        m_found.clear();
    }
    const ScanPlan plan = PlanScan(m_addresses ? m_addresses() : std::vector<std::string>{}, m_log,
                                   [this] { m_screen.processPendingEvents(); });
    if (!plan.manualPrefix.empty()) {
        m_screen.setManualAddress(plan.manualPrefix);
    }
    std::lock_guard lock(m_stateMutex);
    if (m_stop) {
        m_scanning = false;  // the program ended meanwhile
        m_stateChanged.notify_all();
        return;
    }
    m_thread =
        std::thread([this, targets = plan.targets()]() mutable { scan(std::move(targets)); });
}

void LanScanner::scan(std::vector<ProbeTarget> targets) {
    m_log.WriteLog(log_category::kScan, "任务守护线程启动");
    TcpProbes(m_log).run(
        targets,
        {.dispatchFinished = [this] { m_log.WriteLog(log_category::kScan, "任务守护线程结束"); },
         .found =
             [this](const ProbeTarget& target) {
                 std::lock_guard lock(m_scanLock);
                 m_found.push_back(target);
             },
         .stop = &m_stop});
    const std::vector<FoundDevice> found = foundDevices();
    if (!m_stop) {
        m_screen.clearDeviceTiles();
        m_screen.addDeviceTileInFront(FoundDeviceTiles::ManualConnectTile());
        for (const FoundDevice& device : found) {
            if (m_stop) {
                break;
            }
            m_tiles.IdentifyFoundDevice(device);
        }
        m_screen.resetDeviceListScroll();
        m_screen.ShowPage(found.empty() ? PageId::NotFound : PageId::DeviceList);
    }
    finished();
}

void LanScanner::finished() {
    std::lock_guard lock(m_stateMutex);
    m_scanning = false;
    m_stateChanged.notify_all();
}

bool LanScanner::scanning() const {
    std::lock_guard lock(m_stateMutex);
    return m_scanning;
}

bool LanScanner::waitUntilDone(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_stateMutex);
    return m_stateChanged.wait_for(lock, limit, [this] { return !m_scanning; });
}

std::vector<FoundDevice> LanScanner::foundDevices() const {
    std::lock_guard lock(m_scanLock);
    return m_found;
}

void LanScanner::shutDown() {
    std::thread thread;
    {
        std::lock_guard lock(m_stateMutex);
        m_stop = true;
        thread = std::move(m_thread);
    }
    if (thread.joinable()) {
        thread.join();
    }
}

}  // namespace qvpc
