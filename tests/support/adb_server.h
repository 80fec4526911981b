#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "support/run_command.h"

namespace qvpc::test {

// An ADB server of the test's own: picks a free TCP port and puts it in
// ANDROID_ADB_SERVER_PORT for the process while the object lives, so every
// adb the test runs (directly or through the program) talks to a server
// no other test shares. The destructor runs "adb kill-server" on that port
// (bounded) and restores the environment.
class AdbServer {
  public:
    AdbServer();
    ~AdbServer();
    AdbServer(const AdbServer&) = delete;
    AdbServer& operator=(const AdbServer&) = delete;

    int port() const { return m_port; }

  private:
    int m_port = 0;
    std::optional<std::string> m_previous;
};

// Runs "adb " + arguments (a command line for /bin/sh) with a timeout and
// returns its combined output. adb 29 waits minutes on unreachable hosts and
// for ever on some missing devices, so every call is bounded.
CommandResult RunAdb(const std::string& arguments,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace qvpc::test
