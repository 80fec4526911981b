#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/log.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fake_screen.h"
#include "support/lan_network.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// A box of the harness's network: boxsim's box at its address, and the MAC
// its link answers ARP with.
struct LanBox {
    BoxSpec spec;
    std::string mac;  // "00:1a:2b:3c:4d:5e"
};

// The whole core inside the LAN harness: the PC at 10.77.1.7/24, the boxes
// in the boxes' namespace, servicesim on this namespace's loopback, and the
// core with the machine's (that is, the namespace's) addresses and
// neighbour table, drawn on a recording screen.
struct LanRig {
    static constexpr const char* kPcAddress = "10.77.1.7/24";

    explicit LanRig(std::vector<LanBox> boxes);

    // The scan from its start to page 2 or 3; false when it did not end.
    bool scan();
    // How often the log holds the text.
    int logCount(const std::string& text) const;

    LanNetwork network;
    std::unique_ptr<BoxsimProcess> boxsim;
    ServiceSimProcess sim;
    TempDir dir;
    AdbServer server;
    AppPaths paths;
    Log log;
    FakeScreen screen;
    std::unique_ptr<AppCore> core;
};

// A box answering on the ADB port, the command port, or both.
LanBox AdbOnlyBox(const std::string& address, const std::string& mac, const std::string& model);
LanBox CommandPortOnlyBox(const std::string& address, const std::string& mac,
                          const std::string& model);
LanBox BothPortsBox(const std::string& address, const std::string& mac, const std::string& model);

}  // namespace qvpc::test
