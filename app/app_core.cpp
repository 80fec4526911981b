#include "app/app_core.h"

#include "adb/adb_commands.h"
#include "app/log.h"
#include "app/process.h"

namespace qvpc {
namespace {

constexpr std::chrono::milliseconds kShellSettle{1000};
constexpr std::chrono::seconds kKillServerLimit{5};

}  // namespace

AppCore::AppCore(AppPaths paths, Config config, Log& log, Screen& screen)
    : m_paths(std::move(paths)),
      m_config(std::move(config)),
      m_log(log),
      m_screen(screen),
      m_shell(m_paths.dataDir, log, screen),
      m_actions(std::make_unique<UserActions>()) {}

AppCore::~AppCore() { Shutdown(); }

void AppCore::StartWorkers() { m_workers.emplace_back([this] { InitAdb(); }); }

void AppCore::InitAdb() {
    m_log.WriteLog(log_category::kMain, "初始化adb");
    m_shell.StartShell();
    m_shell.Pause(kShellSettle);
    m_shell.SendCommand(adb_commands::StartServer());
}

void AppCore::Shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    for (std::thread& worker : m_workers) {
        if (worker.joinable()) {
            worker.join();
        }
    }
    // Only what this program started ends: its own shell with whatever that
    // runs, then the ADB server it started.
    m_shell.Stop();
    RunProcess({"adb", "kill-server"}, kKillServerLimit);
}

}  // namespace qvpc
