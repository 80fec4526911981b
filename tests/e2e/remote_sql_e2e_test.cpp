// The remote SQL client against servicesim's remote SQL service, which
// refuses what the real one refuses and records the bytes it was sent.
#include <gtest/gtest.h>

#include "devices/remote_sql.h"
#include "devices/remote_sql_message.h"
#include "support/servicesim_process.h"

namespace qvpc {
namespace {

using remote_sql::Quoted;

class RemoteSqlE2eTest : public ::testing::Test {
  protected:
    RemoteSqlE2eTest() { m_sim.expectSqlToken(42); }

    test::ServiceSimProcess m_sim;
    RemoteSql m_remote{m_sim.sqlUrl(), "tessiwop", [] { return 42; }};
};

TEST_F(RemoteSqlE2eTest, SelectCountAndExecuteAsTheServiceReadsThem) {
    const RemoteSql::Selection brand = m_remote.Select("units", "品牌名", "`keywords`='MIBOX3'");
    EXPECT_EQ(brand.cells, std::vector<std::string>{"小米盒子"});
    EXPECT_EQ(brand.reply, "小米盒子<br>");
    EXPECT_TRUE(m_remote.Select("units", "品牌名", "`keywords`='NONE'").cells.empty());

    const std::string mac = "AA-BB-CC-DD-EE-FF";
    EXPECT_EQ(m_remote.CountRows("app_mac", "`mac` = " + Quoted(mac)), 0);
    EXPECT_TRUE(m_remote.Execute(
        "insert into app_mac (ip,mac,name,time,num,keywords,应用数据) values ('192.168.1.50'," +
        Quoted(mac) + ",'小米盒子','2017-02-21 09:05:00',0,'MIBOX3','')"));
    EXPECT_EQ(m_remote.CountRows("app_mac", "`mac` = " + Quoted(mac)), 1);
    EXPECT_EQ(m_remote.CountRows("units", ""), 10);
    EXPECT_FALSE(m_remote.Execute("insert into nowhere values (1)"));

    // What went over the wire: the message in GBK, every byte encoded, and
    // the headers in their order.
    const std::vector<std::string> sent = m_sim.sqlMessageBytes();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(),
              "42|+|QUE|+|tessiwop|+|`units`|+|\xC6\xB7\xC5\xC6\xC3\xFB|+| WHERE "
              "`keywords`='MIBOX3'|+|");
    const nlohmann::json hit = m_sim.hits("sql").front();
    EXPECT_EQ(hit["body"].get<std::string>().substr(0, 20), "DATA=%34%32%7C%2B%7C");
    std::vector<std::string> names;
    for (const auto& header : hit["headers"]) {
        const std::string name = header[0];
        if (name != "Host" && name != "Content-Length") {
            names.push_back(name + ": " + header[1].get<std::string>());
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Accept: */*",
                         "Accept-Language: zh-CN",
                         "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
                         "Trident/5.0)",
                         "Content-Type: application/x-www-form-urlencoded",
                         "Accept-Encoding: deflate",
                         "Connection: Keep-Alive",
                         "Cache-Control: no-cache",
                     }));
}

TEST_F(RemoteSqlE2eTest, HostileValuesStayValues) {
    const std::string hostile = R"(x\'); delete from units; -- 它's "box" \)";
    const std::string mac = "11-22-33-44-55-66";
    ASSERT_TRUE(m_remote.Execute("insert into app_mac (mac,name,keywords) values (" + Quoted(mac) +
                                 "," + Quoted(hostile) + "," + Quoted(hostile) + ")"));
    EXPECT_EQ(m_remote.Select("app_mac", "name", "`mac`=" + Quoted(mac)).cells,
              std::vector<std::string>{hostile});
    EXPECT_EQ(m_remote.CountRows("app_mac", "`keywords` = " + Quoted(hostile)), 1);
    EXPECT_EQ(m_remote.CountRows("units", ""), 10) << "the table is intact";
    EXPECT_EQ(m_sim.sqlRows("app_mac").back()["name"], hostile);
}

TEST_F(RemoteSqlE2eTest, EveryFailureIsMinusOne) {
    struct Case {
        std::string name;
        std::string fault;
    };
    const Case faults[] = {
        {"the service says so", "-1"},
        {"an error page", "http:500"},
        {"a reply cut short", "drop:2"},
    };
    for (const Case& c : faults) {
        SCOPED_TRACE(c.name);
        m_sim.setFault("sql", c.fault);
        EXPECT_EQ(m_remote.Select("units", "品牌名", "`keywords`='MIBOX3'").cells,
                  std::vector<std::string>{"-1"});
        EXPECT_EQ(m_remote.CountRows("units", ""), -1);
        EXPECT_FALSE(m_remote.Execute("update units set keywords=keywords"));
    }
    m_sim.clearFaults();

    // A token the service does not expect.
    RemoteSql otherToken(m_sim.sqlUrl(), "tessiwop", [] { return 43; });
    EXPECT_EQ(otherToken.CountRows("units", ""), -1);
    RemoteSql otherId(m_sim.sqlUrl(), "someone", [] { return 42; });
    EXPECT_EQ(otherId.Select("units", "品牌名", "").cells, std::vector<std::string>{"-1"});

    // Nobody there, no address, and a name that never resolves.
    const int port = m_sim.port(test::SimService::Sql);
    m_sim.stop();
    RemoteSql gone("http://127.0.0.1:" + std::to_string(port) + "/qvhx/sqlqvhx.php");
    EXPECT_EQ(gone.CountRows("app_mac", ""), -1);
    for (const std::string& url :
         std::vector<std::string>{"http://sql.rivod.invalid/qvhx/sqlqvhx.php",
                                  "http://user@INVALID.:80/sqlqvhx.php", ""}) {
        EXPECT_EQ(RemoteSql(url).Select("units", "品牌名", "").cells,
                  std::vector<std::string>{"-1"})
            << url;
    }
}

}  // namespace
}  // namespace qvpc
