// The window and the core together, as the program runs them, against a
// simulated box with the real adb client.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "adb/command_shell.h"
#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/log.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/page_printing.h"
#include "support/temp_dir.h"
#include "ui/busy_page.h"
#include "ui/main_window.h"
#include "ui/manual_ip_page.h"
#include "ui/msg_box_presenter.h"
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

class WholeProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeDirectories(m_paths.tempDir);
        m_window.setUserActions(m_core.actions());
        m_window.show();
        m_core.StartWorkers();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return m_core.shell().shellPid() > 0; }, kOutcomeLimitMs));
    }

    // Shut down as the program does: the window closes first, so that a
    // worker waiting on the screen (a box after a failed step) gives up
    // instead of holding up the core's shutdown.
    void TearDown() override {
        m_window.close();
        m_core.Shutdown();
    }

    // Types the address (as given, port and all) on page 7 and connects.
    void connectTyped(const std::string& typed) {
        m_window.ShowPage(PageId::ManualIp);
        m_window.manualIpPage().setAddress(QString::fromStdString(typed));
        Click(m_window, PageButton::ConnectTypedIp);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_window.currentPage() == PageId::Home; },
                                    kOutcomeLimitMs))
            << "page " << m_window.currentPage();
    }

    int screencapsReceived() {
        int count = 0;
        for (const std::string& line : m_boxsim.received(m_address, "shell")) {
            count += line.find("screencap") != std::string::npos;
        }
        return count;
    }

    test::AdbServer m_server;
    std::string m_address = test::FreeLoopbackAddress();
    test::BoxsimProcess m_boxsim{{test::BoxAt(m_address)}};
    test::TempDir m_dir;
    AppPaths m_paths = AppPaths::UnderDocuments(m_dir.path() + "/Documents");
    Log m_log{m_paths.logPath};
    MainWindow m_window{m_log, Config{}, "1.0.0.1"};
    QtScreen m_screen{m_window};
    AppCore m_core{m_paths, Config{}, m_log, m_screen};
};

TEST_F(WholeProgramTest, ConnectByTypedAddressInstallByDropAndTakeAScreenshot) {
    // As users copy it from the TV's settings, with the port.
    connectTyped(m_address + ":5555");

    Click(m_window, PageButton::RemoteInstallTile);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window.currentPage() == PageId::RemoteInstall; },
                                kOutcomeLimitMs));
    test::ApkSpec spec;
    spec.packageName = "com.example.firstapp";
    spec.versionCode = 3;
    const std::string apk = test::MakeFixtureApk(m_dir.path(), spec, "first app.apk");
    m_core.actions().onFilesDropped(apk);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return m_window.popup().isOpen() &&
                   m_window.popup().mode() == ProgressPopup::Mode::Prompt &&
                   m_window.popup().messageLabel().text() == QString("应用安装成功");
        },
        kOutcomeLimitMs));
    EXPECT_TRUE(m_boxsim.package(m_address, "com.example.firstapp"));
    QTest::mouseClick(&m_window.popup().okButton(), Qt::LeftButton);
    EXPECT_FALSE(m_window.popup().isOpen());

    Click(m_window, PageButton::RemoteInstallBack);
    Click(m_window, PageButton::ScreenshotTile);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return m_window.currentPage() == PageId::Busy && m_window.busyPage().isScreenshotMode();
        },
        kOutcomeLimitMs));
    EXPECT_TRUE(std::filesystem::exists(m_paths.dataDir + "/screenshot.png"));
}

TEST_F(WholeProgramTest, ADoubleClickOnTheScreenshotTileTakesOneScreenshot) {
    connectTyped(m_address);
    m_boxsim.clearReceived(m_address);
    // The second click arrives while the first one's attachment check waits.
    QTimer::singleShot(30, &m_window, [&] { Click(m_window, PageButton::ScreenshotTile); });
    Click(m_window, PageButton::ScreenshotTile);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return m_window.currentPage() == PageId::Busy && m_window.busyPage().isScreenshotMode();
        },
        kOutcomeLimitMs));
    EXPECT_EQ(m_window.msgBoxes().openBox(), nullptr) << "no false 连接断开";
    EXPECT_EQ(screencapsReceived(), 1);
}

TEST_F(WholeProgramTest, ClosingTheWindowEndsAWaitOfTheUserInterfaceAtOnce) {
    connectTyped(m_address);
    // A command still running keeps the attachment check waiting.
    m_core.shell().SendCommand("sleep 30");
    QTimer::singleShot(200, &m_window, [&] { m_window.close(); });
    const auto clicked = std::chrono::steady_clock::now();
    Click(m_window, PageButton::RemoteInstallTile);
    EXPECT_LT(std::chrono::steady_clock::now() - clicked, CommandShell::kAttachTimeout);
    EXPECT_NE(m_window.currentPage(), PageId::RemoteInstall);
    EXPECT_EQ(m_window.msgBoxes().openBox(), nullptr);
}

}  // namespace
}  // namespace qvpc::ui
