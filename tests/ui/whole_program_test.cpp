// The window and the core together, as the program runs them, against a
// simulated box with the real adb client: a user's first session.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "app/app_core.h"
#include "app/app_paths.h"
#include "app/log.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/temp_dir.h"
#include "ui/busy_page.h"
#include "ui/main_window.h"
#include "ui/manual_ip_page.h"
#include "ui/progress_popup.h"
#include "ui/qt_screen.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

constexpr int kOutcomeLimitMs = 30000;

void Click(MainWindow& window, PageButton button) {
    ImageButton* target = window.pageButton(button);
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton);
}

TEST(WholeProgramTest, ConnectByTypedAddressInstallByDropAndTakeAScreenshot) {
    test::AdbServer server;
    const std::string address = test::FreeLoopbackAddress();
    test::BoxsimProcess boxsim({test::BoxAt(address)});
    test::TempDir dir;
    const AppPaths paths = AppPaths::UnderDocuments(dir.path() + "/Documents");
    MakeDirectories(paths.tempDir);
    Log log(paths.logPath);

    MainWindow window(log, Config{}, "1.0.0.1");
    QtScreen screen(window);
    AppCore core(paths, Config{}, log, screen);
    // Shut down as the program does: the window closes first, so that a
    // worker waiting on the screen (a box after a failed step) gives up
    // instead of holding up the core's shutdown, also when an assertion
    // ends the test early.
    struct CloseWindowFirst {
        MainWindow& window;
        ~CloseWindowFirst() { window.close(); }
    } closeWindowFirst{window};
    window.setUserActions(core.actions());
    window.show();
    core.StartWorkers();
    ASSERT_TRUE(QTest::qWaitFor([&] { return core.shell().shellPid() > 0; }, kOutcomeLimitMs));

    window.ShowPage(kPageManualIp);
    window.manualIpPage().setAddress(QString::fromStdString(address));
    Click(window, PageButton::ConnectTypedIp);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.currentPage() == kPageHome; }, kOutcomeLimitMs))
        << "page " << window.currentPage();

    Click(window, PageButton::RemoteInstallTile);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.currentPage() == kPageRemoteInstall; },
                                kOutcomeLimitMs));
    test::ApkSpec spec;
    spec.packageName = "com.example.firstapp";
    spec.versionCode = 3;
    const std::string apk = test::MakeFixtureApk(dir.path(), spec, "first app.apk");
    core.actions().onFilesDropped(apk);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return window.popup().isOpen() &&
                   window.popup().mode() == ProgressPopup::Mode::Prompt &&
                   window.popup().messageLabel().text() == QString("应用安装成功");
        },
        kOutcomeLimitMs));
    EXPECT_TRUE(boxsim.package(address, "com.example.firstapp"));
    QTest::mouseClick(&window.popup().okButton(), Qt::LeftButton);
    EXPECT_FALSE(window.popup().isOpen());

    Click(window, PageButton::RemoteInstallBack);
    Click(window, PageButton::ScreenshotTile);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.currentPage() == kPageBusy && window.busyPage().isScreenshotMode(); },
        kOutcomeLimitMs));
    EXPECT_TRUE(std::filesystem::exists(paths.dataDir + "/screenshot.png"));

    window.close();
    core.Shutdown();
}

}  // namespace
}  // namespace qvpc::ui
