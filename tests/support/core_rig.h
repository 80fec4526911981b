#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/log.h"
#include "devices/local_network.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fake_screen.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// The whole core on the real shell and the real adb client, with an ADB
// server of its own and simulated boxes, drawn on a recording screen.
// Actions are called on the test's thread, which plays the user interface.
struct CoreRig {
    // A quicker tick than the program's, so that tests do not wait a second
    // for every outcome; the rest of the timings are the program's.
    static ProgressEngine::Timings QuickTicks();

    // config and network reach the core as they are (the remote SQL address,
    // a neighbour table that knows the boxes' MACs).
    explicit CoreRig(std::vector<BoxSpec> boxes, ProgressEngine::Timings timings = QuickTicks(),
                     Config config = {}, LocalNetwork network = {});

    // InitAdb: the carried files, the shell and the ADB server.
    void start();
    // Connects to the box and waits for the outcome; true on page 4.
    bool connect(const std::string& address);
    bool waitForIdle(std::chrono::milliseconds limit = std::chrono::seconds(30));

    TempDir dir;
    AdbServer server;
    std::unique_ptr<BoxsimProcess> boxsim;  // none without boxes
    AppPaths paths;
    Log log;
    FakeScreen screen;
    AppCore core;
};

// Whether anything accepts TCP connections at 127.0.0.1:port.
bool Listening(int port);

}  // namespace qvpc::test
