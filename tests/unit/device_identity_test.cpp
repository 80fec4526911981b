// Naming boxes: their MAC from the neighbour table, their name from the local
// table or the remote one, their tiles on page 2, their records.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <map>

#include "base/log.h"
#include "deploy/carried_images.h"
#include "devices/background_writes.h"
#include "devices/box_names.h"
#include "devices/box_recognition.h"
#include "devices/database.h"
#include "devices/device_records.h"
#include "devices/found_device_tiles.h"
#include "devices/mac_lookup.h"
#include "devices/remote_sql.h"
#include "support/fake_screen.h"
#include "support/fake_shell.h"
#include "support/log_text.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

// A neighbour table that knows what it is told: MACs by address, any other
// address gives the failure code.
class FakeArp {
  public:
    void answer(const std::string& ip, ArpAnswer answer) { m_answers[ip] = answer; }
    int asked() const { return m_asked; }
    std::function<ArpAnswer(std::uint32_t)> source() {
        return [this](std::uint32_t ipv4) {
            ++m_asked;
            char text[INET_ADDRSTRLEN];
            in_addr address{ipv4};
            inet_ntop(AF_INET, &address, text, sizeof text);
            auto it = m_answers.find(text);
            return it == m_answers.end() ? ArpAnswer{m_otherwise, {}} : it->second;
        };
    }
    int m_otherwise = ArpAnswer::kNoAnswer;

  private:
    std::map<std::string, ArpAnswer> m_answers;
    int m_asked = 0;
};

ArpAnswer Mac(std::uint8_t last) {
    return {0, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, last}};
}

// The parts that name a box, on the database template and a remote service
// that cannot be reached (its answer is always "-1").
class DeviceIdentityTest : public ::testing::Test {
  protected:
    DeviceIdentityTest() {
        const auto image = carried_images::DatabaseTemplate();
        test::WriteFile(m_dbPath, std::string(image.begin(), image.end()));
        m_database.OpenAccess(m_dbPath);
    }

    std::string logText() const { return test::LogText(m_log); }
    int logCount(const std::string& text) const { return test::Occurrences(logText(), text); }

    test::TempDir m_dir;
    std::string m_dbPath = m_dir.path() + "/qvhxconfig.mdb";
    Log m_log{m_dir.path() + "/log.txt"};
    test::FakeScreen m_screen;
    FakeArp m_arp;
    Database m_database;
    RemoteSql m_remote{""};
    BackgroundWrites m_writes;
    DeviceRecords m_records{m_database, m_remote, m_writes, m_log};
    MacLookup m_macs{m_log, m_screen, m_arp.source()};
    BoxNames m_names{m_records, m_remote, m_log};
    FoundDeviceTiles m_tiles{m_screen, m_macs, m_names, m_log};
};

TEST_F(DeviceIdentityTest, MacsAreWrittenAsSixUpperCasePairsAndFailuresLogged) {
    m_arp.answer("192.168.1.20", {0, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}});
    m_arp.answer("192.168.1.21", {0, {0xa0, 0x0b, 0xc2, 0x03, 0xe4, 0xff}});
    EXPECT_EQ(m_macs.LookupMac("192.168.1.20"), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(m_macs.LookupMac("192.168.1.21"), "A0-0B-C2-03-E4-FF");

    const struct {
        int error;
        std::string logged;
    } failures[] = {
        {ArpAnswer::kNoAnswer, "对方没有开机"},
        {ArpAnswer::kBadBuffer, "最后一个参数尺寸不对"},
        {ArpAnswer::kNotOnLink, "错误: 67"},
        {5, ""},
    };
    for (const auto& failure : failures) {
        m_arp.answer("192.168.1.30", {failure.error, {}});
        test::WriteFile(m_log.path(), "");
        EXPECT_EQ(m_macs.LookupMac("192.168.1.30"), "") << failure.error;
        EXPECT_EQ(logText().find("[功能操作] " + failure.logged) != std::string::npos,
                  !failure.logged.empty())
            << failure.error;
    }
    EXPECT_TRUE(m_screen.boxes().empty());

    // What is no address is asked of nobody.
    const int asked = m_arp.asked();
    for (const std::string text : {"0.0.0.0", "not an address", ""}) {
        EXPECT_EQ(m_macs.LookupMac(text), "");
    }
    EXPECT_EQ(m_arp.asked(), asked);
    ASSERT_EQ(m_screen.boxes().size(), 3u);
    EXPECT_EQ(m_screen.boxes()[0].request.message, "获取本机网络地址失败！");
    EXPECT_EQ(m_screen.boxes()[0].request.title, "");
}

TEST_F(DeviceIdentityTest, TilesComeNewestFirstOnePerAddressWithPort5555Kept) {
    for (std::uint8_t i = 2; i <= 30; ++i) {
        m_arp.answer("192.168.1." + std::to_string(i), Mac(i));
    }
    m_screen.addDeviceTileInFront(FoundDeviceTiles::ManualConnectTile());
    const FoundDevice found[] = {
        {"192.168.1.25", 5555}, {"192.168.1.2", 5555},  // one address starts the other
        {"192.168.1.9", 8090},  {"192.168.1.9", 5555},  // 8090 first
        {"192.168.1.7", 5555},  {"192.168.1.7", 8090},  // 5555 first
        {"192.168.1.4", 8090},
    };
    for (const FoundDevice& device : found) {
        m_tiles.IdentifyFoundDevice(device);
    }
    std::vector<std::string> order;
    for (const DeviceTile& tile : m_screen.deviceTiles()) {
        order.push_back(tile.address + ":" + std::to_string(tile.port));
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"192.168.1.4:8090", "192.168.1.7:5555", "192.168.1.9:5555",
                                        "192.168.1.2:5555", "192.168.1.25:5555", ":0"}));
    const DeviceTile first = m_screen.deviceTiles().front();
    EXPECT_EQ(first, (DeviceTile{"tile.png", "192.168.1.4", "智能电视", "连接", "00-1A-2B-3C-4D-04",
                                 8090}));
    EXPECT_EQ(m_screen.deviceTiles().back(),
              (DeviceTile{"tile.png", "", "设备不在这里?", "手动连接新设备", "", 0}));
}

TEST_F(DeviceIdentityTest, NamesComeFromTheLocalTableWithoutAskingTheService) {
    m_arp.answer("192.168.1.20", Mac(0x20));
    m_arp.answer("192.168.1.21", Mac(0x21));
    m_arp.answer("192.168.1.22", Mac(0x22));
    m_records.InsertLocal("00-1A-2B-3C-4D-20", "客厅的'盒子'", "192.168.1.99");
    m_records.InsertLocal("00-1A-2B-3C-4D-21", "-1", "192.168.1.21");

    m_tiles.IdentifyFoundDevice({"192.168.1.20", 5555});
    EXPECT_EQ(m_screen.deviceTiles().at(0).name, "客厅的'盒子'");
    EXPECT_EQ(logCount("品牌识别"), 0) << "no lookup beyond the local table";

    // A failed lookup kept as "-1" shows the default.
    m_tiles.IdentifyFoundDevice({"192.168.1.21", 5555});
    EXPECT_EQ(m_screen.deviceTiles().at(0).name, "智能电视");
    EXPECT_EQ(logCount("品牌识别:mdb获取盒子信息错误 :"), 1);

    // Unknown here, and the service answers "-1": the default, nothing kept.
    m_tiles.IdentifyFoundDevice({"192.168.1.22", 5555});
    EXPECT_EQ(m_screen.deviceTiles().at(0).name, "智能电视");
    EXPECT_EQ(logCount("品牌识别:中间件获取盒子信息错误 :"), 1);
    EXPECT_EQ(m_records.LocalCount("00-1A-2B-3C-4D-22"), 0);
}

TEST_F(DeviceIdentityTest, ABoxWhoseMacStaysUnknownIsTriedSixtyTimesThenShownAsTheDefault) {
    m_tiles.IdentifyFoundDevice({"192.168.1.30", 5555});
    EXPECT_EQ(m_arp.asked(), 60);
    EXPECT_EQ(logCount("对方没有开机"), 60);
    EXPECT_EQ(logCount("获取mac--60"), 1);
    EXPECT_EQ(logCount("获取mac--61"), 0);
    EXPECT_EQ(logCount("本地获取mac失败,显示智能电视"), 1);
    EXPECT_EQ(logCount("品牌识别"), 0) << "nothing to look up without a MAC";
    EXPECT_EQ(m_screen.deviceTiles().at(0),
              (DeviceTile{"tile.png", "192.168.1.30", "智能电视", "连接", "", 5555}));
}

TEST_F(DeviceIdentityTest, RecordsAreKeptLocallyWhenTheServiceCannotBeReached) {
    CurrentDevice device{"192.168.1.5", "00-1A-2B-3C-4D-5E", "小米盒子", "MIBOX3"};
    EXPECT_EQ(m_records.SyncDeviceRecord(device), -2);
    EXPECT_EQ(m_records.LocalName("00-1A-2B-3C-4D-5E"), "小米盒子");
    EXPECT_EQ(logCount("insert into 盒子机型 (`mac`,`机型`,`ip`) values "
                       "('00-1A-2B-3C-4D-5E','小米盒子','192.168.1.5')"),
              1);

    device.brand = "客厅";
    device.ip = "192.168.1.6";
    EXPECT_EQ(m_records.SyncDeviceRecord(device), -2);
    EXPECT_EQ(m_records.LocalCount("00-1A-2B-3C-4D-5E"), 1);
    EXPECT_EQ(m_records.LocalName("00-1A-2B-3C-4D-5E"), "客厅");
    EXPECT_EQ(logCount("insert into 盒子机型"), 1) << "the second time is an update";

    // Without a MAC there is nothing to key a record on.
    EXPECT_EQ(m_records.SyncDeviceRecord({"192.168.1.7", "", "智能电视", "X"}), -2);
    EXPECT_EQ(m_database.CountRows("盒子机型", ""), 1);
}

TEST_F(DeviceIdentityTest, RecognitionReadsTheModelAndKeepsTheDefaultWhenTheServiceFails) {
    test::FakeShell shell;
    shell.onCommand([&shell](const std::string& line) {
        if (line == "adb -s 192.168.1.5:5555 shell cat /system/build.prop") {
            shell.finishCommand("ro.product.brand=Xiaomi\nro.product.model=MiBOX3\n");
        }
    });
    SharedState state;
    state.setCurrentDevice({"192.168.1.5", "", "", ""});
    BoxRecognition recognition(state, shell, m_screen, m_log, m_remote, m_records, m_macs);
    recognition.RecognizeConnectedBox();
    EXPECT_EQ(state.currentDevice().model, "MIBOX3");
    EXPECT_EQ(state.currentDevice().brand, "智能电视");
    EXPECT_EQ(m_screen.boxName(), "智能电视");
    EXPECT_EQ(m_database.CountRows("盒子机型", ""), 0) << "nothing of a failed lookup is kept";
    EXPECT_EQ(m_arp.asked(), 0);
}

TEST(BoxRecognitionTest, TheModelIsTheBuildPropLineUpperCased) {
    const std::pair<std::string, std::string> cases[] = {
        {"ro.product.brand=Xiaomi\r\nro.product.model=MiBOX3\r\nro.x=1\r\n", "MIBOX3"},
        {"ro.product.model=Himedia q5\r\n", "HIMEDIA Q5"},
        {"ro.product.model=小米box\r\n", "小米BOX"},
        {"ro.product.model=\r\n", ""},
        {"ro.product.model=MiBOX3", ""},  // no line end yet
        {"ro.product.brand=Xiaomi\r\n", ""},
        {"ro.product.model=A\r\nro.product.model=B\r\n", "A"},
    };
    for (const auto& [output, model] : cases) {
        EXPECT_EQ(BoxRecognition::ModelIn(output), model) << output;
    }
}

TEST(BoxNamesTest, NamesFromTheNetworkAreBoundedWithoutCuttingACharacter) {
    EXPECT_EQ(BoxNames::Bounded("小米盒子"), "小米盒子");
    EXPECT_EQ(BoxNames::Bounded(std::string(60, 'a')), std::string(50, 'a'));
    std::string chinese;
    for (int i = 0; i < 51; ++i) {
        chinese += "盒";
    }
    EXPECT_EQ(BoxNames::Bounded(chinese), chinese.substr(0, 50 * 3));
}

TEST(BackgroundWritesTest, ShutdownWaitsForTheJobsUnderWayAndTakesNoMore) {
    BackgroundWrites writes;
    std::atomic<int> done{0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(writes.run([&done] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ++done;
        }));
    }
    EXPECT_TRUE(writes.shutDown(std::chrono::seconds(10)));
    EXPECT_EQ(done, 5);
    EXPECT_FALSE(writes.run([&done] { ++done; }));
    EXPECT_EQ(done, 5);
}

}  // namespace
}  // namespace qvpc
