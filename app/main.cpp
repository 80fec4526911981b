// The program's entry: start-up in its described order, the window's event
// loop, and the shutdown when the window has closed.

#include <QApplication>

#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/config.h"
#include "base/log.h"
#include "devices/local_network.h"
#include "program_version.h"
#include "ui/first_paint_stamp.h"
#include "ui/main_window.h"
#include "ui/qt_screen.h"
#include "ui/single_instance.h"
#include "ui/termination_signals.h"
#include "ui/toolkit/skin_font.h"

namespace {

constexpr const char* kInstanceName = "qvpc20160119";

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);

    // A second start only brings the first one's window forward.
    qvpc::ui::SingleInstance instance(kInstanceName);
    if (!instance.claim()) {
        return 0;
    }

    const qvpc::AppPaths paths = qvpc::AppPaths::UnderDocuments(qvpc::DocumentsDir());
    qvpc::MakeDirectories(paths.tempDir);

    qvpc::Log log(paths.logPath);
    log.WriteLog(qvpc::log_category::kMain, "程序启动", true);
    log.WriteLog(qvpc::log_category::kMain, std::string("程序版本号") + qvpc::kProgramVersion);

    const qvpc::Config config = qvpc::Config::FromEnvironment();
    qvpc::ui::InstallFonts();
    qvpc::ui::MainWindow window(log, config, qvpc::kProgramVersion);
    qvpc::ui::QtScreen screen(window);
    QObject::connect(&instance, &qvpc::ui::SingleInstance::raiseRequested, &window,
                     &qvpc::ui::MainWindow::raiseFromAnotherStart);
    QObject::connect(&window, &qvpc::ui::MainWindow::closed, &application, &QApplication::quit);

    qvpc::ui::TerminationSignals termination;
    QObject::connect(&termination, &qvpc::ui::TerminationSignals::terminationRequested,
                     &application, &QApplication::quit);

    qvpc::AppCore core(paths, config, log, screen, {}, qvpc::LocalNetwork::Machine());
    window.setUserActions(core.actions());
    qvpc::ui::StampFirstPaint(window);
    window.show();
    core.StartWorkers();

    application.exec();
    core.Shutdown();
    return 0;
}
