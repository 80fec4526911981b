#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// An ADB server of the test's own: picks a free TCP port and puts it in
// ANDROID_ADB_SERVER_PORT for the process while the object lives, so every
// adb the test runs (directly or through the program) talks to a server
// no other test shares. adb keeps its key and state under ~/.android, so HOME
// points at a private folder meanwhile, holding the key the test run shares:
// tests never touch the user's files and never race to make that folder.
// The destructor runs "adb kill-server" on that port (bounded) and restores
// the environment.
class AdbServer {
  public:
    AdbServer();
    ~AdbServer();
    AdbServer(const AdbServer&) = delete;
    AdbServer& operator=(const AdbServer&) = delete;

    int port() const { return m_port; }
    // The private HOME.
    const std::string& home() const { return m_home.path(); }

  private:
    int m_port = 0;
    TempDir m_home;
    std::optional<std::string> m_previousPort;
    std::optional<std::string> m_previousHome;
};

// Runs "adb " + arguments (a command line for /bin/sh) with a timeout and
// returns its combined output. adb 29 waits minutes on unreachable hosts and
// for ever on some missing devices, so every call is bounded.
CommandResult RunAdb(const std::string& arguments,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace qvpc::test
