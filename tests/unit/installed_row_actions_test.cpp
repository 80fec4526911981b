// What a click on a row of the installed-app list starts.
#include <gtest/gtest.h>

#include "support/task_rig.h"

namespace qvpc {
namespace {

constexpr RowRect kButton{586, 35, 100, 30};

struct InstalledRowActionsTest : ::testing::Test {
    InstalledRowActionsTest() {
        rig.state.setCurrentIp("192.168.1.20");
        rig.screen.setAppRowButton(kButton);
    }
    void click(int position, int x = kButton.left, int y = kButton.top) {
        rig.parts.rowActions.onInstalledRowClick(position, x, y);
    }
    std::vector<std::string> uninstalls() const { return rig.shell.commandsWith(" uninstall "); }

    test::TaskRig rig;
};

TEST_F(InstalledRowActionsTest, OnlyTheButtonOfAnUnfinishedRowActs) {
    rig.screen.addAppRow({.name = "便签", .action = "卸载", .packageName = "com.example.notes"});
    rig.screen.addAppRow({.name = "天气",
                          .action = "卸载",
                          .state = AppRowState::Done,
                          .packageName = "com.example.weather"});
    // Its right and bottom edges are outside; a finished row has no button.
    click(1, kButton.left + kButton.width, kButton.top);
    click(1, kButton.left, kButton.top + kButton.height);
    click(2);
    click(3);
    EXPECT_TRUE(uninstalls().empty());
    EXPECT_TRUE(rig.engine.currentProgress().empty());

    click(1);
    EXPECT_EQ(uninstalls(), std::vector<std::string>{
                                "adb -s 192.168.1.20:5555 shell pm uninstall com.example.notes"});
    EXPECT_EQ(rig.screen.popupText(), "正在卸载 便签... ...");
    EXPECT_NE(rig.logText().find("卸载应用com.example.notes"), std::string::npos);
    rig.shell.finishCommand("Success\r\n");
    ASSERT_TRUE(rig.waitForIdle());
    EXPECT_EQ(rig.screen.appRows()[0].state, AppRowState::Done);
}

TEST_F(InstalledRowActionsTest, ANameABoxMadeUpIsNeverUninstalled) {
    rig.screen.addAppRow({.name = "x", .action = "卸载", .packageName = "com.x;reboot"});
    click(1);
    EXPECT_TRUE(uninstalls().empty());
    ASSERT_EQ(rig.screen.boxes().size(), 1u);
    EXPECT_EQ(rig.screen.boxes()[0].request.title, "应用卸载失败");
}

TEST_F(InstalledRowActionsTest, AnUpgradeDownloadsUnderItsRowsTitleIntoTheTempFolder) {
    rig.screen.addAppRow({.name = "便签", .action = "卸载", .packageName = "com.example.notes"});
    rig.screen.addAppRow({.name = "../星空 直播",
                          .action = "更新",
                          .downloadUrl = "http://127.0.0.1:1/live.apk",
                          .packageName = "com.xingkong.live"});
    click(2);
    ASSERT_FALSE(rig.screen.popupsShown().empty());
    const std::string shown = rig.screen.popupsShown().front();
    EXPECT_TRUE(shown.starts_with("下载:正在下载" + rig.dataDir + "/tmp/")) << shown;
    EXPECT_TRUE(shown.ends_with("星空 直播.apk")) << shown;
    EXPECT_EQ(shown.find(".."), std::string::npos) << "the name made safe";
    EXPECT_NE(rig.logText().find("更新应用../星空 直播"), std::string::npos);
}

}  // namespace
}  // namespace qvpc
