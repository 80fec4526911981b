#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "adb/command_shell.h"
#include "app/app_paths.h"
#include "app/config.h"
#include "app/shared_state.h"
#include "app/user_actions.h"

namespace qvpc {

class Log;
class Screen;

// Everything the program is made of apart from its window: created after the
// window at start-up, alive until Shutdown. Tests build as many as they like.
class AppCore {
public:
    AppCore(AppPaths paths, Config config, Log& log, Screen& screen);
    ~AppCore();
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // The companion app version that counts as current.
    static constexpr int kCompanionVersion = 3;

    // Starts the worker threads of start-up, in order: the ADB set-up (then
    // the usage report and the update check).
    void StartWorkers();

    // The end of the run: waits for the start-up workers, ends the shell and
    // what it runs, and stops the ADB server.
    void Shutdown();

    // The ADB set-up thread's body: the shell, then the ADB server.
    void InitAdb();

    const AppPaths& paths() const { return m_paths; }
    const Config& config() const { return m_config; }
    Log& log() { return m_log; }
    Screen& screen() { return m_screen; }
    SharedState& state() { return m_state; }
    CommandShell& shell() { return m_shell; }
    UserActions& actions() { return *m_actions; }

private:
    AppPaths m_paths;
    Config m_config;
    Log& m_log;
    Screen& m_screen;
    SharedState m_state;
    CommandShell m_shell;
    std::unique_ptr<UserActions> m_actions;
    std::vector<std::thread> m_workers;
    bool m_shutDown = false;
};

}  // namespace qvpc
