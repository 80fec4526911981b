#include "devices/found_device_tiles.h"

#include <thread>

#include "base/log.h"
#include "devices/box_names.h"
#include "devices/mac_lookup.h"

namespace qvpc {

FoundDeviceTiles::FoundDeviceTiles(DeviceListView& list, MacLookup& macs, BoxNames& names, Log& log,
                                   const std::atomic<bool>* stop)
    : m_list(list), m_macs(macs), m_names(names), m_log(log), m_stop(stop) {}

DeviceTile FoundDeviceTiles::ManualConnectTile() {
    return {std::string(kTileImage), "", "设备不在这里?", "手动连接新设备", "", 0};
}

std::string FoundDeviceTiles::macOf(const std::string& address) {
    for (int k = 1; k <= kMacTries; ++k) {
        m_log.WriteLog(log_category::kOperation, "获取mac--" + std::to_string(k));
        std::string mac = m_macs.LookupMac(address);
        if (!mac.empty()) {
            return mac;
        }
        if (m_stop && m_stop->load()) {
            break;
        }
        std::this_thread::sleep_for(kMacRetryWait);
    }
    return {};
}

void FoundDeviceTiles::IdentifyFoundDevice(const FoundDevice& device) {
    const std::string mac = macOf(device.address);
    // The tile of the same address exactly; one whose address merely starts
    // the same is another box.
    const std::optional<int> existing = m_list.findDeviceTile(device.address);
    if (mac.empty()) {
        m_log.WriteLog(log_category::kOperation, "本地获取mac失败,显示智能电视");
    }
    if (existing) {
        if (device.port == 5555) {
            m_list.setDeviceTilePort(*existing, 5555);
        }
        return;
    }
    const std::string name = mac.empty() ? std::string(BoxNames::kDefaultName)
                                         : m_names.LookupBoxName(mac, device.address);
    m_list.addDeviceTileInFront(
        {std::string(kTileImage), device.address, name, "连接", mac, device.port});
}

}  // namespace qvpc
