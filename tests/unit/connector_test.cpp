#include "adb/connector.h"

#include <gtest/gtest.h>

#include "adb/task_names.h"
#include "support/task_rig.h"
#include "support/wait.h"

namespace qvpc {
namespace {

DeviceTile Tile(std::string address, std::string name, std::string buttonText) {
    DeviceTile tile;
    tile.address = std::move(address);
    tile.name = std::move(name);
    tile.buttonText = std::move(buttonText);
    return tile;
}

constexpr const char* kIp = "192.168.1.5";
constexpr const char* kAddressMessage = "ip地址不正确，找不到盒子，请尝试使用<自动搜索>";
constexpr const char* kAllowOnTheTv =
    "盒子需要您的授权，请在电视屏幕上选择<允许USB调试>（可勾选<一律允许>），再重新连接盒子";

// Connects with the shell answering "adb connect" with printed.
void ConnectAnswered(test::TaskRig& rig, const std::string& printed) {
    rig.shell.onCommand([&rig, printed](const std::string& line) {
        if (line.starts_with("adb connect ")) {
            rig.shell.finishCommand(printed);
        }
    });
    rig.connector.Connect(kIp, "00-11-22-33-44-55");
    ASSERT_TRUE(rig.waitForIdle());
}

TEST(ConnectorTest, EveryOutcomeEndsOnItsPage) {
    struct Case {
        const char* what;
        std::string printed;
        bool attached;
        std::string listed;  // adb devices, for "already connected"
        PageId page;
        std::string hint;
        std::string result;
    };
    const std::string offline = "连接无效，请检查盒子的adb调试模式是否已打开,再尝试重新连接";
    const std::string serverConflict =
        "很抱歉，由于您电脑上安装的豌豆荚或腾讯手机助手或百度手机助手等助手类软件与本程序冲突，"
        "建议关闭所有助手类软件，并拔出与电脑连接的安卓设备，再重新试一次，如果仍然不行，只能说明，"
        "您装的软件太霸道了，只有把他卸载，本程序才能正常运行。";
    const Case cases[] = {
        {"connected", "connected to 192.168.1.5:5555", true, "", PageId::Home, "", "connected"},
        {"already connected, usable", "already connected to 192.168.1.5:5555", true,
         "192.168.1.5:5555\tdevice\n", PageId::Home, "", "connected"},
        {"already connected, unauthorized", "already connected to 192.168.1.5:5555", false,
         "192.168.1.5:5555\tunauthorized\n", PageId::NotFound, kAllowOnTheTv, "unconnected"},
        {"already connected, offline", "already connected to 192.168.1.5:5555", false,
         "192.168.1.5:5555\toffline\n", PageId::NotFound, offline, "unconnected"},
        {"refused", "failed to connect to '192.168.1.5:5555': Connection refused", true, "",
         PageId::NotFound, kAddressMessage, "unconnected"},
        {"no handshake", "failed to connect to 192.168.1.5:5555", true, "", PageId::NotFound,
         kAddressMessage, "unconnected"},
        {"old unreachable", "unable to connect to 192.168.1.5:5555", true, "", PageId::NotFound,
         kAddressMessage, "unconnected"},
        {"unauthorized", "failed to authenticate to 192.168.1.5:5555", true, "", PageId::NotFound,
         kAllowOnTheTv, "unconnected"},
        {"server conflict", "ADB server didn't ACK\n* failed to start daemon\n", true, "",
         PageId::NotFound, serverConflict, "unconnected"},
        {"nothing known", "what?", true, "", PageId::ManualIp, "", "unconnected"},
    };
    for (const Case& c : cases) {
        test::TaskRig rig;
        rig.screen.ShowPage(PageId::ManualIp);
        rig.shell.setAttached(c.attached, c.listed);
        ConnectAnswered(rig, c.printed);
        EXPECT_EQ(rig.screen.currentPage(), c.page) << c.what;
        EXPECT_EQ(rig.connector.lastResult(), c.result) << c.what;
        if (c.page == PageId::NotFound) {
            EXPECT_EQ(rig.screen.notFoundHint(), c.hint) << c.what;
            EXPECT_NE(rig.logText().find(c.hint), std::string::npos) << c.what;
        }
        EXPECT_EQ(rig.shell.output(), "-") << c.what;
    }
}

TEST(ConnectorTest, ConnectShowsTheBusyPageAndSendsTheCommand) {
    test::TaskRig rig;
    rig.state.setCurrentBrand("旧名字");
    rig.connector.Connect(kIp, "00-11-22-33-44-55");
    EXPECT_EQ(rig.screen.busyTitle(), "正在连接 192.168.1.5");
    EXPECT_EQ(rig.screen.currentPage(), PageId::Busy);
    EXPECT_EQ(rig.shell.commands(), std::vector<std::string>{"adb connect 192.168.1.5"});
    EXPECT_EQ(rig.engine.currentProgress(), "进度_连接盒子");
    CurrentDevice device = rig.state.currentDevice();
    EXPECT_EQ(device.ip, kIp);
    EXPECT_EQ(device.mac, "00-11-22-33-44-55");
    EXPECT_EQ(device.brand, "");
}

TEST(ConnectorTest, AnAddressTypedWithTheAdbPortConnectsAndAnyOtherPortIsRefused) {
    test::TaskRig rig;
    rig.screen.ShowPage(PageId::ManualIp);
    rig.connector.Connect("192.168.1.5:5555", "");
    EXPECT_EQ(rig.shell.commands(), std::vector<std::string>{"adb connect 192.168.1.5"});
    EXPECT_EQ(rig.state.currentIp(), kIp);
    rig.shell.finishCommand("connected to 192.168.1.5:5555");
    ASSERT_TRUE(rig.waitForIdle());
    EXPECT_EQ(rig.screen.currentPage(), PageId::Home);

    test::TaskRig other;
    other.screen.ShowPage(PageId::ManualIp);
    other.connector.Connect("192.168.1.5:8090", "");
    ASSERT_EQ(other.screen.boxes().size(), 1u);
    EXPECT_EQ(other.screen.boxes()[0].request.message, "IP地址格式不正确,盒子的端口只能是5555");
    EXPECT_TRUE(other.shell.commands().empty());
    EXPECT_EQ(other.screen.currentPage(), PageId::ManualIp);
}

TEST(ConnectorTest, AnErrorBeforeTheAddressPingsTheBox) {
    test::TaskRig rig;
    ConnectAnswered(rig, "error192.168.1.5");
    EXPECT_EQ(rig.screen.notFoundHint(), "连接盒子失败,请重新连接");
    EXPECT_EQ(rig.shell.commands().back(), "ping -c 4 192.168.1.5");
}

TEST(ConnectorTest, AConnectWhileATaskRunsAsksAndDoesNotConnect) {
    test::TaskRig rig;
    ASSERT_TRUE(
        rig.engine.StartTask({.progressName = kProgressScreenshot, .owner = &rig.screenshot}));
    rig.screen.answerNextBoxes({0});
    rig.connector.Connect(kIp, "");
    EXPECT_EQ(rig.screen.boxes().at(0).request.message, "有任务正在进行:进度_截屏是否要强制停止?");
    EXPECT_TRUE(rig.shell.commands().empty());
    EXPECT_EQ(rig.engine.currentProgress(), "") << "confirming abandoned the task";

    rig.connector.Connect(kIp, "");
    EXPECT_EQ(rig.shell.commands(), std::vector<std::string>{"adb connect 192.168.1.5"});
}

TEST(ConnectorTest, ATileNamesTheBoxAndConnects) {
    test::TaskRig rig;
    rig.connector.ConnectToTile(Tile("192.168.1.7", "", "连接"));
    EXPECT_EQ(rig.state.currentIp(), "192.168.1.7");
    EXPECT_EQ(rig.shell.commands().back(), "adb connect 192.168.1.7");
    rig.shell.finishCommand("connected to 192.168.1.7:5555");
    ASSERT_TRUE(rig.waitForIdle());
    EXPECT_EQ(rig.screen.boxName(), "智能电视") << "a box without a name gets the default";

    test::TaskRig named;
    named.connector.ConnectToTile(Tile("192.168.1.7", "客厅", "连接"));
    EXPECT_EQ(named.screen.boxName(), "客厅") << "the tile's name while it connects";
    named.shell.finishCommand("connected to 192.168.1.7:5555");
    ASSERT_TRUE(named.waitForIdle());
    // Connected, the box is recognised; with no brand service to ask, it
    // shows the default.
    EXPECT_EQ(named.screen.boxName(), "智能电视");

    test::TaskRig manual;
    manual.connector.ConnectToTile(Tile("", "", "手动连接新设备"));
    EXPECT_EQ(manual.screen.currentPage(), PageId::ManualIp);
    EXPECT_TRUE(manual.shell.commands().empty());
}

TEST(ConnectorTest, DisconnectLeavesForTheStartPage) {
    test::TaskRig rig;
    rig.state.setCurrentIp(kIp);
    rig.connector.Disconnect();
    EXPECT_EQ(rig.shell.commands(), std::vector<std::string>{"adb disconnect 192.168.1.5"});
    EXPECT_EQ(rig.screen.currentPage(), PageId::Start);
    EXPECT_EQ(rig.state.currentIp(), kIp) << "the box stays the current device";
}

}  // namespace
}  // namespace qvpc
