#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "adb/task_names.h"
#include "apps/install_result.h"
#include "apps/uninstall_result.h"
#include "support/task_rig.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "picture";

constexpr const char* kPushed =
    "Performing Push Install\n/tmp/a.apk: 1 file pushed, 0 skipped. 2.0 MB/s (100 bytes in "
    "0.001s)\n\tpkg: /data/local/tmp/a.apk\r\n";

// An installation of the given extra text whose command printed `printed`.
void Install(test::TaskRig& rig, const std::string& extra, const std::string& printed) {
    const std::string apk = rig.dir.path() + "/a.apk";
    test::WriteFile(apk, "apk");
    rig.state.setCurrentIp("192.168.1.5");
    rig.shell.onCommand([&rig, printed](const std::string& line) {
        if (line.find(" install -r ") != std::string::npos) {
            rig.shell.finishCommand(printed);
        }
    });
    const std::size_t boxes = rig.screen.boxes().size();
    rig.installer.InstallApk(apk, extra);
    ASSERT_TRUE(rig.waitForIdle());
    // The task ends before the user is told: wait for what the user sees.
    ASSERT_TRUE(test::WaitFor(
        [&] { return rig.screen.boxes().size() > boxes || rig.screen.popupMode() == "提示"; }));
}

TEST(InstallResultTest, SuccessMarksTheCatalogTileAndSaysSo) {
    test::TaskRig rig;
    Install(rig, "应用下载<3>", std::string(kPushed) + "Success\r\n");
    EXPECT_EQ(rig.screen.popupMode(), "提示");
    EXPECT_EQ(rig.screen.popupText(), "应用安装成功");
    EXPECT_EQ(rig.screen.catalogTileStates(), (std::map<int, std::string>{{3, "已安装"}}));
    EXPECT_TRUE(rig.screen.boxes().empty());
    EXPECT_NE(rig.logText().find("应用安装成功"), std::string::npos);
    EXPECT_EQ(rig.shell.output(), "-");
}

TEST(InstallResultTest, AnUpgradeMarksItsOwnRowAndLowersTheCount) {
    test::TaskRig rig;
    for (int row = 1; row <= 4; ++row) {
        rig.screen.addAppRow({.name = "app" + std::to_string(row), .action = "更新"});
    }
    // Another row was clicked while the download ran.
    rig.screen.setSelectedAppRow(2);
    rig.screen.setUpgradeCount(1);
    Install(rig, "升级应用<4>", "Success\r\n");
    EXPECT_EQ(rig.screen.appRowStates(), (std::map<int, int>{{4, 1}}));
    EXPECT_EQ(rig.screen.upgradeCount(), 0);
    Install(rig, "升级应用<4>", "Success\r\n");
    EXPECT_EQ(rig.screen.upgradeCount(), 0) << "never below 0";
}

TEST(InstallResultTest, AnUpgradeFinishingAfterTheListChangedMarksNoOtherRow) {
    test::TaskRig rig;
    // The uninstall view was opened while the upgrade downloaded.
    rig.screen.addAppRow({.name = "other", .action = "卸载"});
    Install(rig, "升级应用<1>", "Success\r\n");
    EXPECT_EQ(rig.screen.appRows()[0].state, AppRowState::Normal);
}

TEST(InstallResultTest, AFailureShowsItsDialogAndOffersTheTileAgain) {
    const std::pair<std::string, std::string> cases[] = {
        {"Failure [INSTALL_FAILED_OLDER_SDK]", "安卓系统版本过旧"},
        {"Failure [INSTALL_FAILED_MEDIA_UNAVAILABLE]", "SD卡不存在"},
        {"adb: failed to install /tmp/a.apk: Failure [INSTALL_FAILED_VERSION_DOWNGRADE: x]",
         "已安装更高版本,请卸载后再安装"},
        {"Failure [INSTALL_FAILED_DUPLICATE_PACKAGE]",
         "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接"},
    };
    for (const auto& [verdict, text] : cases) {
        test::TaskRig rig;
        Install(rig, "应用下载<2>", std::string(kPushed) + verdict + "\r\n");
        ASSERT_EQ(rig.screen.boxes().size(), 1u) << verdict;
        EXPECT_EQ(rig.screen.boxes()[0].request.title, "应用安装失败");
        EXPECT_EQ(rig.screen.boxes()[0].request.message, text);
        EXPECT_EQ(rig.screen.popupMode(), "");
        EXPECT_EQ(rig.screen.catalogTileStates(), (std::map<int, std::string>{{2, "安装"}}));
    }
}

TEST(InstallResultTest, APushWithoutVerdictEndsAsALostConnection) {
    test::TaskRig rig;
    Install(rig, "", "Performing Push Install\n/tmp/a.apk: 1 file pushed, 0 skipped.\n");
    ASSERT_EQ(rig.screen.boxes().size(), 1u);
    EXPECT_EQ(rig.screen.boxes()[0].request.message,
              "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接");
}

TEST(UninstallResultTest, TheVerdictMarksTheRowOrTellsTheFailure) {
    struct Case {
        const char* printed;
        int boxes;
        std::map<int, int> rows;
    };
    const Case cases[] = {
        {"Success\r\n", 0, {{1, 1}}},
        {"Failure [DELETE_FAILED_INTERNAL_ERROR]\r\n", 1, {}},
        {"Failure\r\n", 1, {}},  // Android 4.x says no more
        // Ended without a verdict: nothing more will come.
        {"error: device offline\n", 1, {}},
    };
    for (const Case& c : cases) {
        test::TaskRig rig;
        rig.screen.addAppRow({.action = "卸载", .packageName = "com.example.tv"});
        // Another row was clicked meanwhile.
        rig.screen.setSelectedAppRow(2);
        rig.screen.ShowInstalling("正在卸载... ...", false);
        rig.shell.resetOutput();
        UninstallResult owner(rig.shell, rig.screen, rig.engine);
        ASSERT_TRUE(rig.engine.StartTask({.progressName = kProgressUninstall,
                                          .owner = &owner,
                                          .subject = "com.example.tv",
                                          .extra = "1"}));
        rig.shell.finishCommand(c.printed);
        ASSERT_TRUE(rig.waitForIdle()) << c.printed;
        EXPECT_EQ(rig.screen.popupMode(), "") << c.printed;
        EXPECT_EQ(static_cast<int>(rig.screen.boxes().size()), c.boxes) << c.printed;
        if (c.boxes > 0) {
            EXPECT_EQ(rig.screen.boxes()[0].request.title, "应用卸载失败");
        }
        EXPECT_EQ(rig.screen.appRowStates(), c.rows) << c.printed;
    }
}

class ScreenshotResultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_rig.state.setCurrentIp("192.168.1.5");
        m_rig.screen.ShowPage(PageId::Home);
        test::WriteFile(path(), "old picture");
    }
    // Where the program keeps the screenshot.
    std::string path() const { return m_rig.dataDir + "/screenshot.png"; }

    test::TaskRig m_rig;
};

TEST_F(ScreenshotResultTest, ThePulledPictureIsShownOnceThePullHasEnded) {
    m_rig.shell.onCommand([&](const std::string& line) {
        if (!line.starts_with("adb pull")) {
            m_rig.shell.finishCommand("");
        }
    });
    m_rig.screenshot.TakeScreenshot();
    EXPECT_EQ(m_rig.screen.busyTitle(), "正在截屏,请稍后...");
    EXPECT_FALSE(std::filesystem::exists(path())) << "the old picture went first";
    const std::vector<std::string> sent = m_rig.shell.commands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], "adb shell rm -f /sdcard/screenshot.png") << "and the box's old one";
    EXPECT_EQ(sent[1], "adb shell /system/bin/screencap -p /sdcard/screenshot.png");
    EXPECT_EQ(sent[2], "adb pull /sdcard/screenshot.png \"" + path() + "\"");

    // The prompt between capture and pull ends nothing, even with half a file.
    test::WriteFile(path(), kPng.substr(0, 5));
    std::this_thread::sleep_for(test::TaskRig::kPeriod * 8);
    EXPECT_EQ(m_rig.engine.currentProgress(), "进度_截屏");

    test::WriteFile(path(), kPng);
    m_rig.shell.finishCommand("/sdcard/screenshot.png: 1 file pulled, 0 skipped.");
    ASSERT_TRUE(m_rig.waitForIdle());
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::Busy);
    EXPECT_TRUE(m_rig.screen.busyScreenshotMode());
    EXPECT_EQ(m_rig.screen.screenshotPicture(), path());
    EXPECT_TRUE(m_rig.screen.boxes().empty());
}

TEST_F(ScreenshotResultTest, WhatAFailedOrStoppedCaptureLeavesIsNeverShown) {
    struct Case {
        const char* what;
        std::string captureSays;
        std::string pulled;  // what the pull leaves on the PC
    };
    const Case cases[] = {
        {"no screencap, the box's old picture pulled",
         "/system/bin/sh: /system/bin/screencap: "
         "not found",
         kPng},
        {"screencap failed, the box's old picture pulled",
         "Error opening file: /sdcard/screenshot.png (Permission denied)", kPng},
        {"an empty picture", "", ""},
        {"not a picture", "", "<html>"},
    };
    for (const Case& c : cases) {
        test::TaskRig rig;
        rig.state.setCurrentIp("192.168.1.5");
        rig.screen.ShowPage(PageId::Home);
        const std::string picture = rig.dataDir + "/screenshot.png";
        rig.shell.onCommand([&](const std::string& line) {
            if (line.starts_with("adb pull")) {
                test::WriteFile(picture, c.pulled);
                rig.shell.finishCommand("/sdcard/screenshot.png: 1 file pulled, 0 skipped.");
            } else {
                rig.shell.finishCommand(line.find("screencap") != std::string::npos ? c.captureSays
                                                                                    : "");
            }
        });
        rig.screenshot.TakeScreenshot();
        ASSERT_TRUE(rig.waitForIdle()) << c.what;
        ASSERT_EQ(rig.screen.boxes().size(), 1u) << c.what;
        EXPECT_EQ(rig.screen.boxes()[0].request.title, "故障") << c.what;
        EXPECT_EQ(rig.screen.screenshotPicture(), "") << c.what;
        EXPECT_FALSE(std::filesystem::exists(picture)) << c.what;
        EXPECT_EQ(rig.screen.currentPage(), PageId::Home) << c.what;
    }
}

TEST_F(ScreenshotResultTest, AFailedPullSaysSoAndGoesBack) {
    m_rig.shell.onCommand([&](const std::string& line) {
        m_rig.shell.finishCommand(line.starts_with("adb pull")
                                      ? "adb: error: remote object '/sdcard/screenshot.png' "
                                        "does not exist"
                                      : "");
    });
    m_rig.screenshot.TakeScreenshot();
    ASSERT_TRUE(m_rig.waitForIdle());
    ASSERT_EQ(m_rig.screen.boxes().size(), 1u);
    EXPECT_EQ(m_rig.screen.boxes()[0].request.title, "故障");
    EXPECT_EQ(m_rig.screen.boxes()[0].request.message, "什么牌子的盒子啊,到群里问问吧");
    EXPECT_EQ(m_rig.screen.screenshotPicture(), "");
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::Home);

    // A refresh from the picture itself: the busy page has no page before it.
    m_rig.screen.ShowBusyPage(BusyPageRequest::ShowScreenshot());
    m_rig.screenshot.TakeScreenshot();
    ASSERT_TRUE(m_rig.waitForIdle());
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::Home);
}

TEST(TilePositionTest, ReadsTheNumberBetweenTheBrackets) {
    EXPECT_EQ(TilePosition("应用下载<3>"), 3);
    EXPECT_EQ(TilePosition("应用下载<12>x<4>"), 12);
    EXPECT_EQ(TilePosition("应用下载"), 0);
    EXPECT_EQ(TilePosition("<"), 0);
}

}  // namespace
}  // namespace qvpc
