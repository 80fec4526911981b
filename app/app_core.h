#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "adb/command_shell.h"
#include "app/action_gate.h"
#include "app/app_actions.h"
#include "app/core_parts.h"
#include "base/app_paths.h"
#include "base/config.h"
#include "base/shared_state.h"
#include "base/user_actions.h"

namespace qvpc {

class Log;
class Screen;

// Everything the program is made of apart from its window: created after the
// window at start-up, alive until Shutdown. Tests build as many as they like.
class AppCore {
  public:
    // network gives the machine's addresses and neighbour table; without it
    // (tests outside a network of their own) nothing is scanned or resolved.
    AppCore(AppPaths paths, Config config, Log& log, Screen& screen,
            ProgressEngine::Timings timings = {}, LocalNetwork network = {});
    ~AppCore();
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // The companion app version that counts as current.
    static constexpr int kCompanionVersion = 3;

    // Starts the worker threads of start-up, in order: the ADB set-up, the
    // usage report and the automatic update check.
    void StartWorkers();

    // The end of the run: waits for the start-up workers and the update
    // checks, stops the task timers, ends the shell and what it runs, writes
    // the carried files again and stops the ADB server.
    void Shutdown();

    // The ADB set-up thread's body: the carried files, the check that an adb
    // client runs (the program closes when none does), then the shell and
    // the ADB server.
    void InitAdb();

    // Searches the LAN for boxes; returns once the scan's thread runs.
    void StartLanScan();

    const AppPaths& paths() const { return m_paths; }
    const Config& config() const { return m_config; }
    Log& log() { return m_log; }
    Screen& screen() { return m_screen; }
    SharedState& state() { return m_parts.state; }
    Database& database() { return m_parts.database; }
    CommandShell& shell() { return m_shell; }
    ProgressEngine& engine() { return m_parts.engine; }
    Connector& connector() { return m_parts.connector; }
    LocalInstaller& installer() { return m_parts.installer; }
    Screenshot& screenshot() { return m_parts.screenshot; }
    LanScanner& scanner() { return m_parts.scanner; }
    BackgroundWrites& remoteWrites() { return m_parts.remoteWrites; }
    CoreParts& parts() { return m_parts; }
    // What the window's clicks reach, one action at a time.
    UserActions& actions() { return m_gate; }

  private:
    // Runs once the carried files are written: the database opens here, so
    // that the first run finds its template.
    void afterDeployment();

    AppPaths m_paths;
    Config m_config;
    Log& m_log;
    Screen& m_screen;
    CommandShell m_shell;
    CoreParts m_parts;
    AppActions m_actions;
    ActionGate m_gate;
    std::vector<std::thread> m_workers;
    bool m_shutDown = false;
};

}  // namespace qvpc
