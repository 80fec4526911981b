// update_QVPC: replaces the TV box assistant with its new version. The
// assistant writes this program into its data folder, starts it with the
// order on its command line and ends; see update_job.h.

#include <QApplication>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>
#include <vector>

#include "base/app_paths.h"
#include "base/log.h"
#include "base/update_command_line.h"
#include "updater/update_job.h"
#include "updater/updater_window.h"

namespace {

using namespace qvpc;
using namespace qvpc::updater;

// Without a window the job's progress goes to the standard error.
class PlainReport : public UpdateReport {
  public:
    void status(const std::string& text) override { std::cerr << text << "\n"; }
    void progress(std::uint64_t, std::uint64_t) override {}
};

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(name); value && *value) {
            return true;
        }
    }
    return false;
}

// The process to wait for, taken out of the environment so that the
// programs started later do not inherit it.
pid_t TakeWaitPid() {
    const char* text = std::getenv(std::string(kUpdaterWaitPidVariable).c_str());
    pid_t pid = 0;
    if (text) {
        const std::string_view value = text;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), pid);
        if (error != std::errc() || end != value.data() + value.size() || pid < 0) {
            pid = 0;
        }
    }
    ::unsetenv(std::string(kUpdaterWaitPidVariable).c_str());
    return pid;
}

// The order as one word; a starter that split it at spaces is forgiven.
std::string CommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        line += std::string(i == 1 ? "" : " ") + argv[i];
    }
    return line;
}

// The window system to try, and the invisible one after it: an updater that
// cannot reach the display must still finish its work and start the
// program again. Given as an argument, so the programs it starts do not
// inherit it.
std::vector<std::string> PlatformArguments(const char* program) {
    if (const char* chosen = std::getenv("QT_QPA_PLATFORM"); chosen && *chosen) {
        return {program};
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return {program, "-platform", wayland && *wayland ? "wayland;xcb;offscreen" : "xcb;offscreen"};
}

int ExitCode(const UpdateOutcome& outcome) {
    return outcome.kind == UpdateOutcome::Kind::Failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const pid_t waitPid = TakeWaitPid();
    const std::string workDir = ProgramDir();
    Log log(workDir + "/update_QVPC.log");
    const std::optional<UpdateOrder> order = ParseUpdaterCommandLine(CommandLine(argc, argv));
    if (!order) {
        log.WriteLog("更新程序", "命令行无效: " + CommandLine(argc, argv), true);
        std::cerr << "update_QVPC: the TV box assistant starts this program for an update\n";
        return 2;
    }
    UpdateJobSettings settings{.order = *order, .workDir = workDir, .waitPid = waitPid};

    if (!HasDisplay()) {
        PlainReport report;
        const UpdateOutcome outcome = UpdateJob(settings, log, report).run();
        std::cerr << outcome.message << "\n";
        return ExitCode(outcome);
    }
    std::vector<std::string> arguments = PlatformArguments(argv[0]);
    std::vector<char*> qtArgv;
    for (std::string& argument : arguments) {
        qtArgv.push_back(argument.data());
    }
    int qtArgc = static_cast<int>(qtArgv.size());
    qtArgv.push_back(nullptr);
    QApplication application(qtArgc, qtArgv.data());
    // Fallen back to the invisible platform: nobody could read the window.
    const bool unseen = arguments.size() > 1 && application.platformName() == "offscreen";
    UpdaterWindow window(*order, unseen);
    window.show();
    UpdateOutcome outcome;
    std::thread worker([&] {
        outcome = UpdateJob(settings, log, window).run();
        QMetaObject::invokeMethod(
            &window, [&window, &outcome] { window.finish(outcome); }, Qt::QueuedConnection);
    });
    application.exec();
    worker.join();
    if (unseen) {
        std::cerr << outcome.message << "\n";
    }
    return ExitCode(outcome);
}
