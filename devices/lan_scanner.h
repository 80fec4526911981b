#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devices/found_device_tiles.h"

namespace qvpc {

class BoxNames;
class Log;
class MacLookup;
class Screen;

// Finds the boxes of the local networks: every address .2 to .254 of each
// local IPv4 network, on ports 5555 and 8090 (TcpProbes), then names the
// devices found on page 2's tiles and shows page 2, or page 3 when there
// were none. The probing and the naming run on the scanner's own thread.
class LanScanner {
  public:
    // addresses lists the machine's local IPv4 addresses; without it no
    // network is scanned.
    LanScanner(Screen& screen, Log& log, MacLookup& macs, BoxNames& names,
               std::function<std::vector<std::string>()> addresses);
    ~LanScanner();
    LanScanner(const LanScanner&) = delete;
    LanScanner& operator=(const LanScanner&) = delete;

    // Shows the searching page, plans the scan and starts its thread, then
    // returns. Ignored while a scan runs. The port is the callers' 5555 and
    // not used: both ports are always probed.
    void StartLanScan(int port = 5555);

    bool scanning() const;
    // Waits until no scan runs; true when none does.
    bool waitUntilDone(std::chrono::milliseconds limit);
    // The last scan's found list, in the order the probes succeeded.
    std::vector<FoundDevice> foundDevices() const;

    // Ends a running scan early and waits for its thread.
    void shutDown();

  private:
    void scan(std::vector<ProbeTarget> targets);
    void finished();

    Screen& m_screen;
    Log& m_log;
    const std::function<std::vector<std::string>()> m_addresses;
    std::atomic<bool> m_stop{false};
    FoundDeviceTiles m_tiles;

    mutable std::mutex m_scanLock;  // the found list
    std::vector<FoundDevice> m_found;

    mutable std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    bool m_scanning = false;
    std::thread m_thread;
};

}  // namespace qvpc
