#pragma once

#include <atomic>
#include <chrono>
#include <string_view>

#include "base/device_list_view.h"
#include "devices/tcp_probes.h"

namespace qvpc {

class BoxNames;
class Log;
class MacLookup;

// A scan's found device: an address that accepted on a port.
using FoundDevice = ProbeTarget;

// Page 2's tiles of the devices a scan found: each named after its MAC, one
// tile per address whichever ports it answered on.
class FoundDeviceTiles {
  public:
    static constexpr int kMacTries = 60;
    static constexpr std::chrono::milliseconds kMacRetryWait{50};
    static constexpr std::string_view kTileImage = "tile.png";

    // stop, when set, cuts the MAC retries short (the program is ending).
    FoundDeviceTiles(DeviceListView& list, MacLookup& macs, BoxNames& names, Log& log,
                     const std::atomic<bool>* stop = nullptr);

    // Adds the device's tile in front of the others, or, for an address that
    // has one, moves it to port 5555 when the device answered there.
    void IdentifyFoundDevice(const FoundDevice& device);

    // The tile that ends every list: connect to an address typed by hand.
    static DeviceTile ManualConnectTile();

  private:
    std::string macOf(const std::string& address);

    DeviceListView& m_list;
    MacLookup& m_macs;
    BoxNames& m_names;
    Log& m_log;
    const std::atomic<bool>* m_stop;
};

}  // namespace qvpc
