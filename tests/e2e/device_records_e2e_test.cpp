// A connection recognises the box and records it: in the local table
// 盒子机型 and in the remote app_mac of servicesim. The boxes are boxsim's on
// loopback; their MAC comes from a neighbour table that knows it.
#include <gtest/gtest.h>

#include <regex>

#include "devices/database.h"
#include "support/core_rig.h"
#include "support/log_text.h"
#include "support/loopback.h"
#include "support/servicesim_process.h"

namespace qvpc {
namespace {

constexpr auto kWriteLimit = std::chrono::seconds(10);
const std::string kMac = "02-11-22-33-44-5A";

LocalNetwork KnowsEveryMac() {
    return {.arp = [](std::uint32_t) {
        return ArpAnswer{0, {0x02, 0x11, 0x22, 0x33, 0x44, 0x5a}};
    }};
}

Config WithRemoteSql(const std::string& url) {
    Config config;
    config.remoteSqlUrl = url;
    return config;
}

std::optional<nlohmann::json> RemoteRow(const test::ServiceSimProcess& sim,
                                        const std::string& mac) {
    for (const nlohmann::json& row : sim.sqlRows("app_mac")) {
        if (row["mac"] == mac) {
            return row;
        }
    }
    return std::nullopt;
}

struct LocalRow {
    std::string name;
    std::string ip;
    bool operator==(const LocalRow&) const = default;
};

std::optional<LocalRow> LocalRowOf(Database& database, const std::string& mac) {
    std::optional<QueryResult> result = database.Query("select * from 盒子机型 where mac=?", {mac});
    if (!result || !result->First()) {
        return std::nullopt;
    }
    return LocalRow{result->ReadText("机型"), result->ReadText("ip")};
}

class DeviceRecordsE2eTest : public ::testing::Test {
  protected:
    explicit DeviceRecordsE2eTest(test::BoxSpec box = test::BoxAt(test::FreeLoopbackAddress()))
        : m_address(box.address),
          m_rig({std::move(box)}, test::CoreRig::QuickTicks(), WithRemoteSql(m_sim.sqlUrl()),
                KnowsEveryMac()) {
        m_rig.start();
    }

    std::string logText() const { return test::LogText(m_rig.log); }

    test::ServiceSimProcess m_sim;
    std::string m_address;
    test::CoreRig m_rig;
};

TEST_F(DeviceRecordsE2eTest, TheFirstConnectionInsertsTheNextOnesUpdate) {
    ASSERT_TRUE(m_rig.connect(m_address));
    EXPECT_EQ(m_rig.screen.boxName(), "小米盒子") << "units: MIBOX3";
    const CurrentDevice device = m_rig.core.state().currentDevice();
    EXPECT_EQ(device.mac, kMac) << "typed by address, found in the neighbour table";
    EXPECT_EQ(device.model, "MIBOX3") << "ro.product.model MiBOX3, upper case";
    EXPECT_EQ(LocalRowOf(m_rig.core.database(), kMac), (LocalRow{"小米盒子", m_address}));

    ASSERT_TRUE(m_rig.core.remoteWrites().waitIdle(kWriteLimit));
    std::optional<nlohmann::json> row = RemoteRow(m_sim, kMac);
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["ip"], m_address);
    EXPECT_EQ((*row)["name"], "小米盒子");
    EXPECT_EQ((*row)["num"], 0);
    EXPECT_EQ((*row)["keywords"], "MIBOX3");
    EXPECT_EQ((*row)["应用数据"], "");
    EXPECT_TRUE(std::regex_match((*row)["time"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));

    m_sim.execSql("update app_mac set 应用数据='apps', time='2000-01-01 00:00:00' where mac='" +
                  kMac + "'");
    ASSERT_TRUE(m_rig.connect(m_address));
    ASSERT_TRUE(m_rig.core.remoteWrites().waitIdle(kWriteLimit));
    EXPECT_EQ(m_rig.core.database().CountRows("盒子机型", ""), 1);
    row = RemoteRow(m_sim, kMac);
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["num"], 1);
    EXPECT_EQ((*row)["应用数据"], "");
    EXPECT_NE((*row)["time"], "2000-01-01 00:00:00");
    EXPECT_EQ(m_sim.sqlRows("app_mac").size(), 3u) << "two seeded, one ours";
}

TEST_F(DeviceRecordsE2eTest, WithTheServiceDownTheBoxKeepsTheDefaultNameAndNothingIsStored) {
    m_sim.stop();
    ASSERT_TRUE(m_rig.connect(m_address));
    EXPECT_EQ(m_rig.screen.boxName(), "智能电视");
    EXPECT_EQ(m_rig.core.database().CountRows("盒子机型", ""), 0) << "no \"-1\" is kept";
    EXPECT_NE(logText().find("品牌识别:中间件获取盒子信息错误 :"), std::string::npos);
    EXPECT_TRUE(m_rig.core.remoteWrites().waitIdle(kWriteLimit));
}

class HostileNamesE2eTest : public DeviceRecordsE2eTest {
  protected:
    static test::BoxSpec HostileBox() {
        test::BoxSpec box = test::BoxAt(test::FreeLoopbackAddress());
        box.model = R"(Box'); DELETE FROM units; -- \)";
        return box;
    }
    HostileNamesE2eTest() : DeviceRecordsE2eTest(HostileBox()) {}

    const std::string m_model = R"(BOX'); DELETE FROM UNITS; -- \)";
    const std::string m_brand = R"(O'Brien\'s "TV"; DROP TABLE app_mac; --)";
};

TEST_F(HostileNamesE2eTest, QuotesBackslashesAndSqlInModelAndBrandAreKeptAsText) {
    // SQLite's own syntax: quotes doubled, backslashes as they are.
    m_sim.execSql(
        R"(insert into units (品牌名,keywords) values ('O''Brien\''s "TV"; DROP TABLE app_mac; --','BOX''); DELETE FROM UNITS; -- \'))");
    ASSERT_TRUE(m_rig.connect(m_address));
    EXPECT_EQ(m_rig.screen.boxName(), m_brand);
    EXPECT_EQ(LocalRowOf(m_rig.core.database(), kMac), (LocalRow{m_brand, m_address}));
    ASSERT_TRUE(m_rig.core.remoteWrites().waitIdle(kWriteLimit));
    std::optional<nlohmann::json> row = RemoteRow(m_sim, kMac);
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)["keywords"], m_model);
    EXPECT_EQ((*row)["name"], m_brand);
    EXPECT_EQ(m_sim.sqlRows("units").size(), 11u);
    EXPECT_EQ(m_sim.sqlRows("app_mac").size(), 3u);
}

}  // namespace
}  // namespace qvpc
