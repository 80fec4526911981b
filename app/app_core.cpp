#include "app/app_core.h"

#include "adb/adb_commands.h"
#include "adb/task_names.h"
#include "app/app_actions.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/process.h"
#include "base/screen.h"
#include "deploy/carried_images.h"
#include "deploy/toolchain.h"
#include "program_version.h"
#include "services/usage_report.h"

namespace qvpc {
namespace {

constexpr std::chrono::milliseconds kShellSettle{1000};
constexpr std::chrono::seconds kKillServerLimit{5};

UpdateSettings UpdateSettingsOf(const Config& config) {
    return {.programVersion = kProgramVersion,
            .executablePath = ProgramPath(),
            .updaterImage = carried_images::Updater(),
            .updateHost = config.updateHost,
            .contactNumber = config.feedbackGroup};
}

}  // namespace

AppCore::AppCore(AppPaths paths, Config config, Log& log, Screen& screen,
                 ProgressEngine::Timings timings, LocalNetwork network)
    : m_paths(std::move(paths)),
      m_config(std::move(config)),
      m_log(log),
      m_screen(screen),
      m_shell(m_paths.dataDir, log, screen),
      m_parts({.shell = m_shell,
               .screen = screen,
               .log = log,
               .dataDir = m_paths.dataDir,
               .browseDir = ProgramDir(),
               .timings = timings,
               .startLanScan = [this] { StartLanScan(); },
               .update = UpdateSettingsOf(m_config),
               .remoteSqlUrl = m_config.remoteSqlUrl,
               .network = std::move(network),
               .downloadDir = m_paths.downloadDir,
               .tempDir = m_paths.tempDir,
               .catalogHosts = {m_config.catalogHost, m_config.downloadHost},
               .asUserAction =
                   [this](std::function<void()> work) {
                       m_screen.postToUiThread(
                           [this, work = std::move(work)] { m_gate.runWhenIdle(work); });
                   },
               .companionMayBeInstalled =
                   !carried_images::CompanionIsStandIn() || m_config.installStandInCompanion}),
      m_actions(m_parts, m_shell, screen, [this] { StartLanScan(); }),
      m_gate(m_actions) {}

AppCore::~AppCore() {
    Shutdown();
}

void AppCore::StartWorkers() {
    m_workers.emplace_back([this] { InitAdb(); });
    m_workers.emplace_back(
        [this] { UsageReport(m_log, m_paths.dataDir, m_config.statisticsHost).sendUsageReport(); });
    m_workers.emplace_back([this] { m_parts.update.checkForUpdate(false); });
}

void AppCore::InitAdb() {
    m_log.WriteLog(log_category::kMain, "初始化adb");
    DeployToolchain(m_paths, m_log);
    if (!AdbClientRuns()) {
        m_screen.MsgBox(Notice({},
                               "非常抱歉,您的电脑上没有可以运行的adb程序,助手将不能运行,"
                               "助手将自动关闭."));
        m_screen.closeMainWindow();
        return;
    }
    afterDeployment();
    if (!m_shell.StartShell()) {
        // The first command line tries again and says so if it cannot.
        m_log.WriteLog(log_category::kMain, "启动命令行失败");
    }
    m_shell.Pause(kShellSettle);
    m_shell.SendCommand(adb_commands::StartServer());
}

void AppCore::afterDeployment() {
    // Quiet when it fails: every database operation then fails quietly too.
    m_parts.database.OpenAccess(m_paths.dbPath);
}

void AppCore::StartLanScan() {
    m_parts.scanner.StartLanScan(5555);
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
    m_parts.update.shutDown();
    // A scan still running ends early.
    m_parts.scanner.shutDown();
    // No download hands a file to the installation any more.
    m_parts.downloader.shutDown();
    // A task still running is stopped as a user would stop it, so what it
    // leaves behind (half a pulled picture) goes too.
    if (!m_parts.engine.currentProgress().empty()) {
        m_parts.engine.ForceStop();
    }
    m_parts.engine.shutDown();
    // The box records on their way to the remote service get a bounded while
    // to arrive.
    m_parts.remoteWrites.shutDown();
    // Only what this program started ends: its own shell with whatever that
    // runs, then the ADB server it started.
    m_shell.Stop();
    m_parts.channel.CloseChannel();
    DeployToolchain(m_paths, m_log);
    m_parts.database.Close();
    RunProcess({"adb", "kill-server"}, kKillServerLimit);
}

}  // namespace qvpc
