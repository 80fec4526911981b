// The search for boxes on a /24 network of the harness: boxes at three
// addresses, each with a MAC of its own that ARP answers with, named from the
// local table or servicesim's remote tables.
#include <gtest/gtest.h>

#include "adb/task_names.h"
#include "devices/box_names.h"
#include "devices/found_device_tiles.h"
#include "lan_rig.h"
#include "support/wait.h"

namespace qvpc::test {
namespace {

using namespace std::chrono_literals;

// 5555 only, MAC known to app_mac as 小米盒子; 8090 only, known as 天猫魔盒;
// both ports, named in the local table.
std::vector<LanBox> ThreeBoxes() {
    return {AdbOnlyBox("10.77.1.20", "00:1a:2b:3c:4d:5e", "MiBOX3"),
            CommandPortOnlyBox("10.77.1.31", "a0:b1:c2:d3:e4:f5", "MagicBox_M13"),
            BothPortsBox("10.77.1.45", "02:00:0a:4d:01:2d", "Himedia Q5")};
}

std::vector<std::string> TileTexts(const std::vector<DeviceTile>& tiles) {
    std::vector<std::string> texts;
    for (const DeviceTile& tile : tiles) {
        texts.push_back(tile.address + " " + tile.name + " " + tile.mac + " " +
                        std::to_string(tile.port));
    }
    return texts;
}

TEST(ScanLanTest, ThreeBoxesGiveThreeTilesNewestFirstNamedAfterTheirMacs) {
    LanRig rig(ThreeBoxes());
    ASSERT_TRUE(rig.core->database().Execute(
        "insert into 盒子机型 (mac,机型,ip) values ('02-00-0A-4D-01-2D','客厅盒子','10.77.1.45')"));
    ASSERT_TRUE(rig.scan());

    EXPECT_EQ(rig.screen.currentPage(), PageId::DeviceList);
    EXPECT_EQ(TileTexts(rig.screen.deviceTiles()), (std::vector<std::string>{
                                                       "10.77.1.45 客厅盒子 02-00-0A-4D-01-2D 5555",
                                                       "10.77.1.31 天猫魔盒 A0-B1-C2-D3-E4-F5 8090",
                                                       "10.77.1.20 小米盒子 00-1A-2B-3C-4D-5E 5555",
                                                       " 设备不在这里?  0",
                                                   }));
    EXPECT_EQ(rig.core->scanner().foundDevices(), (std::vector<FoundDevice>{{"10.77.1.20", 5555},
                                                                            {"10.77.1.31", 8090},
                                                                            {"10.77.1.45", 5555},
                                                                            {"10.77.1.45", 8090}}));
    EXPECT_EQ(rig.screen.manualAddress(), "10.77.1.");
    EXPECT_EQ(rig.screen.busyTitle(), "正在查找设备 ... ...");

    // A name found on the server is kept, so the next scan needs no server.
    EXPECT_EQ(rig.core->database().CountRows("盒子机型", "where mac=? and 机型=?",
                                             {"00-1A-2B-3C-4D-5E", "小米盒子"}),
              1);
    EXPECT_EQ(rig.logCount("盒子型号:小米盒子"), 1);
    EXPECT_EQ(rig.logCount("盒子型号:天猫魔盒"), 1);

    // Two local networks (the loopback's and the link's), each logged.
    EXPECT_EQ(rig.logCount("[功能操作] 找到2个局域网"), 2);
    EXPECT_EQ(rig.logCount("[功能操作] 本地IP跳过127.0.0.1"), 1);
    EXPECT_EQ(rig.logCount("[功能操作] 局域网IP格式合法10.77.1.7"), 1);
    EXPECT_EQ(rig.logCount("[设备扫描] 任务守护线程启动"), 1);
    EXPECT_EQ(rig.logCount("[设备扫描] 任务守护线程结束"), 1);
    EXPECT_EQ(rig.logCount("，IP：10.77.1.45 有效"), 2);
    EXPECT_EQ(rig.logCount("，IP：10.77.1.20 有效"), 1);
    EXPECT_EQ(rig.logCount(" 无效"), 0) << "refused and silent addresses log nothing";

    // The second scan finds them by the local table alone.
    rig.sim.clearHits();
    ASSERT_TRUE(rig.scan());
    EXPECT_EQ(rig.screen.deviceTiles().size(), 4u);
    EXPECT_TRUE(rig.sim.hits("sql").empty());
}

TEST(ScanLanTest, ANetworkWithoutBoxesGivesPage3) {
    LanRig rig({});
    ASSERT_TRUE(rig.scan());
    EXPECT_EQ(rig.screen.currentPage(), PageId::NotFound);
    EXPECT_EQ(rig.screen.notFoundHint(), "提示：请连接在同一环境下");
    EXPECT_EQ(TileTexts(rig.screen.deviceTiles()), std::vector<std::string>{" 设备不在这里?  0"});
    EXPECT_TRUE(rig.core->scanner().foundDevices().empty());
}

TEST(ScanLanTest, ASecondSearchWhileOneRunsIsIgnored) {
    LanRig rig({AdbOnlyBox("10.77.1.20", "00:1a:2b:3c:4d:5e", "MiBOX3")});
    rig.core->StartLanScan();
    rig.core->StartLanScan();
    ASSERT_TRUE(rig.core->scanner().waitUntilDone(60s));
    EXPECT_EQ(rig.logCount("[设备扫描] 查找设备: 上一次查找尚未结束"), 1);
    EXPECT_EQ(rig.logCount("任务守护线程启动"), 1);
    EXPECT_EQ(rig.core->scanner().foundDevices().size(), 1u);
}

TEST(ScanLanTest, TheTileOfABoxOnThe8090PortOnlyAsksItToStartAdbdThenConnects) {
    LanRig rig(ThreeBoxes());
    ASSERT_TRUE(rig.scan());
    const std::optional<int> position = rig.screen.findDeviceTile("10.77.1.31");
    ASSERT_TRUE(position);
    rig.core->actions().connectToTile(*rig.screen.deviceTile(*position));
    EXPECT_EQ(rig.boxsim->received("10.77.1.31", "command"),
              std::vector<std::string>{"start adbd"});
    EXPECT_EQ(rig.logCount("[主进程] 发送命令返回:ok"), 1);
    ASSERT_TRUE(WaitFor([&] { return rig.core->engine().currentProgress().empty(); }, 30s));
    EXPECT_EQ(rig.screen.currentPage(), PageId::Home);
    EXPECT_EQ(rig.screen.boxName(), "天猫魔盒") << "the brand of MAGICBOX_M13";
}

TEST(ScanLanTest, AConnectionByTypedAddressFindsTheMacAndRecordsItBothWays) {
    LanRig rig({BothPortsBox("10.77.1.45", "02:00:0a:4d:01:2d", "Himedia Q5")});
    rig.core->actions().connectTypedAddress("10.77.1.45");
    ASSERT_TRUE(WaitFor([&] { return rig.core->engine().currentProgress().empty(); }, 30s));
    ASSERT_EQ(rig.screen.currentPage(), PageId::Home);
    EXPECT_EQ(rig.core->state().currentDevice().mac, "02-00-0A-4D-01-2D");
    EXPECT_EQ(rig.screen.boxName(), "海美迪");
    EXPECT_EQ(rig.core->database().CountRows("盒子机型", "where mac=? and 机型=? and ip=?",
                                             {"02-00-0A-4D-01-2D", "海美迪", "10.77.1.45"}),
              1);
    ASSERT_TRUE(rig.core->remoteWrites().waitIdle(10s));
    bool recorded = false;
    for (const nlohmann::json& row : rig.sim.sqlRows("app_mac")) {
        recorded |= row["mac"] == "02-00-0A-4D-01-2D" && row["keywords"] == "HIMEDIA Q5" &&
                    row["num"] == 0 && row["ip"] == "10.77.1.45";
    }
    EXPECT_TRUE(recorded);
}

}  // namespace
}  // namespace qvpc::test
