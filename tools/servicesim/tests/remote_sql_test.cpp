// The remote SQL service of servicesim, driven as the program drives it: a
// message in GBK, every byte percent-encoded, posted as DATA= with the
// program's headers.

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>

#include "http_fetch.h"
#include "support/servicesim_process.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ServiceSimProcess;

const std::string kRemoteId = "tessiwop";
const std::string kSeparator = "|+|";

std::string Gbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string EncodeEveryByte(const std::string& bytes) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += {'%', kHex[b >> 4], kHex[b & 15]};
    }
    return out;
}

Fetched Post(const ServiceSimProcess& sim, const std::string& message) {
    FetchOptions options;
    options.postBody = "DATA=" + EncodeEveryByte(Gbk(message));
    options.headers = {
        "Accept: */*",
        "Accept-Language: zh-CN",
        "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
        "Content-Type: application/x-www-form-urlencoded",
        "Accept-Encoding: deflate",
        "Connection: Keep-Alive",
        "Cache-Control: no-cache"};
    return Fetch(sim.sqlUrl(), options);
}

std::string Que(const std::string& table, const std::string& column, const std::string& where,
                const std::string& remoteId = kRemoteId) {
    return "42|+|QUE|+|" + remoteId + kSeparator + table + kSeparator + column + kSeparator +
           where + kSeparator;
}

std::string Gun(const std::string& table, const std::string& where,
                const std::string& remoteId = kRemoteId) {
    return "7|+|GUN|+|" + remoteId + kSeparator + table + kSeparator + where + kSeparator;
}

std::string Sql(const std::string& sql) {
    return "9999|+|SQL|+|" + kRemoteId + kSeparator + sql + kSeparator;
}

TEST(RemoteSql, QueGunAndSqlMessagesRunEndToEnd) {
    ServiceSimProcess sim;
    const std::string mac = "AA-BB-CC-DD-EE-FF";

    // The brand of a model, as the connect step asks for it.
    Fetched brand = Post(sim, Que("`units`", "品牌名", " WHERE `keywords`='MIBOX3'"));
    EXPECT_EQ(brand.status, 200);
    EXPECT_EQ(brand.body, Hex("d0a1c3d7bad0d7d3") + "<br>");  // 小米盒子

    const std::string count = Gun("`app_mac`", " WHERE `mac` = '" + mac + "'");
    EXPECT_EQ(Post(sim, count).body, "%30");

    EXPECT_EQ(Post(sim, Sql("insert into app_mac (ip,mac,name,time,num,keywords,应用数据) values "
                            "('192.168.1.50','" +
                            mac +
                            "','小米盒子','2017-02-21 09:05:00',0,"
                            "'MIBOX3','')"))
                  .body,
              "%31");
    EXPECT_EQ(Post(sim, count).body, "%31");
    EXPECT_EQ(Post(sim, Sql("update app_mac set name='客厅盒子',num=num+1,time='2017-02-22 "
                            "10:00:00',应用数据='' where mac='" +
                            mac + "'"))
                  .body,
              "%31");

    EXPECT_EQ(Post(sim, Que("`app_mac`", "name", " WHERE `mac`='" + mac + "'")).body,
              Hex("bfcdccfcbad0d7d3") + "<br>");  // 客厅盒子

    std::vector<nlohmann::json> rows = sim.sqlRows("app_mac");
    ASSERT_FALSE(rows.empty());
    const nlohmann::json& row = rows.back();
    EXPECT_EQ(row["mac"], mac);
    EXPECT_EQ(row["ip"], "192.168.1.50");
    EXPECT_EQ(row["name"], "客厅盒子");
    EXPECT_EQ(row["num"], 1);
    EXPECT_EQ(row["time"], "2017-02-22 10:00:00");
    EXPECT_EQ(row["keywords"], "MIBOX3");
    EXPECT_EQ(row["应用数据"], "");

    // What the double recorded of the first message.
    std::vector<nlohmann::json> hits = sim.hits("sql");
    ASSERT_EQ(hits.size(), 6u);
    EXPECT_EQ(hits[0]["sql"]["token"], "42");
    EXPECT_EQ(hits[0]["sql"]["kind"], "QUE");
    EXPECT_EQ(hits[0]["sql"]["remote_id"], kRemoteId);
    EXPECT_EQ(hits[0]["sql"]["operands"],
              nlohmann::json({"`units`", "品牌名", " WHERE `keywords`='MIBOX3'"}));
    EXPECT_EQ(hits[0]["reply"], "小米盒子<br>");
    const nlohmann::json& headers = hits[0]["headers"];
    EXPECT_NE(
        std::find(headers.begin(), headers.end(), nlohmann::json({"Accept-Language", "zh-CN"})),
        headers.end());
}

TEST(RemoteSql, RowsAndCellsAreSeparatedAsTheRealServiceDoes) {
    ServiceSimProcess sim;
    // Two columns, two rows; MySQL compares text without case.
    EXPECT_EQ(
        Post(sim, Que("`units`", "品牌名,keywords", " WHERE `keywords` like 'magicbox%'")).body,
        Hex("ccecc3a8c4a7bad0") + "<rb>MAGICBOX_M13<br>" + Hex("ccecc3a8c4a7bad0") +
            "<rb>MAGICBOX2<br>");
    EXPECT_EQ(Post(sim, Que("`units`", "品牌名", " WHERE `keywords`='NO MODEL'")).body, "");
    EXPECT_EQ(Post(sim, Que("`units`", "品牌名", " WHERE `keywords`='mibox3  '")).body,
              Hex("d0a1c3d7bad0d7d3") + "<br>");
    EXPECT_EQ(Post(sim, Gun("`units`", "")).body, "%31%30");
}

TEST(RemoteSql, ValuesAreReadAsMysqlReadsThem) {
    ServiceSimProcess sim;
    // Backslash escapes and doubled quotes both stand for a quote.
    EXPECT_EQ(
        Post(
            sim,
            Sql(R"(insert into app_mac (mac,name) values ('11-22-33-44-55-66','O\'Brien \\ 它''s'))"))
            .body,
        "%31");
    EXPECT_EQ(sim.sqlRows("app_mac").back()["name"], "O'Brien \\ 它's");
    EXPECT_EQ(Post(sim, Gun("`app_mac`", R"( WHERE `name` = 'o\'brien \\ 它''S')")).body, "%31");
}

TEST(RemoteSql, RefusesWhatItMustNotRun) {
    ServiceSimProcess sim;
    struct Case {
        std::string name;
        std::string body;
        std::string reply;
    };
    const Case cases[] = {
        {"wrong remote id in QUE",
         "DATA=" + EncodeEveryByte(Que("`units`", "keywords", "", "other")), "-1"},
        {"wrong remote id in GUN", "DATA=" + EncodeEveryByte(Gun("`units`", "", "other")),
         "%2D%31"},
        {"schema change", "DATA=" + EncodeEveryByte(Sql("drop table units")), "%30"},
        {"two statements", "DATA=" + EncodeEveryByte(Sql("select 1; delete from units")), "%30"},
        {"attach", "DATA=" + EncodeEveryByte(Sql("attach database '/tmp/x.db' as x")), "%30"},
        {"pragma", "DATA=" + EncodeEveryByte(Sql("pragma writable_schema=1")), "%30"},
        {"schema table", "DATA=" + EncodeEveryByte(Que("sqlite_master", "sql", "")), "-1"},
        {"syntax error", "DATA=" + EncodeEveryByte(Sql("insert into nowhere")), "%30"},
        {"recursive query",
         "DATA=" + EncodeEveryByte(Gun("(with recursive c(x) as (select 1 union all select x+1 "
                                       "from c) select x from c)",
                                       "")),
         "%2D%31"},
        {"query past the time bound (10^10 rows)",
         "DATA=" + EncodeEveryByte(Gun("units a, units b, units c, units d, units e, units f, "
                                       "units g, units h, units i, units j",
                                       "")),
         "%2D%31"},
        {"not GBK", "DATA=%FF%FF%FF", "-1"},
        {"no DATA field", "OTHER=1", "-1"},
        {"no message", "DATA=hello", "-1"},
        {"unknown kind", "DATA=" + EncodeEveryByte("1|+|DEL|+|tessiwop|+|units|+|"), "-1"},
    };
    for (const Case& c : cases) {
        FetchOptions options;
        options.postBody = c.body;
        EXPECT_EQ(Fetch(sim.sqlUrl(), options).body, c.reply) << c.name;
    }
    EXPECT_EQ(Fetch(sim.sqlUrl()).body, "-1") << "GET";
    EXPECT_EQ(sim.sqlRows("units").size(), 10u);
}

TEST(RemoteSql, IsAsStrictAsTheRealServiceAndKeepsTheBytesSent) {
    ServiceSimProcess sim;
    auto post = [&](const std::string& body) {
        FetchOptions options;
        options.postBody = body;
        return Fetch(sim.sqlUrl(), options).body;
    };
    const std::string deleteUnits = "|+|SQL|+|tessiwop|+|delete from units|+|";
    struct Case {
        std::string name;
        std::string body;
    };
    const Case refused[] = {
        {"token with a leading zero", "DATA=" + EncodeEveryByte("042" + deleteUnits)},
        {"token of five digits", "DATA=" + EncodeEveryByte("12345" + deleteUnits)},
        {"token that is no number", "DATA=" + EncodeEveryByte("4x" + deleteUnits)},
        {"negative token", "DATA=" + EncodeEveryByte("-1" + deleteUnits)},
        {"no token", "DATA=" + EncodeEveryByte(deleteUnits)},
        {"a byte left as it is", "DATA=9" + EncodeEveryByte(deleteUnits)},
        {"a blank as +", "DATA=" + EncodeEveryByte("9|+|SQL|+|tessiwop|+|delete") + "+" +
                             EncodeEveryByte("from units|+|")},
        {"lower-case hexadecimal digits",
         "DATA=%39" + EncodeEveryByte(deleteUnits).replace(1, 2, "7c")},
        {"a broken escape", "DATA=" + EncodeEveryByte("9" + deleteUnits) + "%3"},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(post(c.body), "-1") << c.name;
    }
    EXPECT_EQ(sim.sqlRows("units").size(), 10u) << "nothing ran";

    // Told the one token to take, it takes no other.
    sim.expectSqlToken(42);
    EXPECT_EQ(Post(sim, Gun("`units`", "")).body, "-1") << "token 7";
    EXPECT_EQ(Post(sim, Que("`units`", "count(1)", "")).body, "10<br>") << "token 42";
    sim.expectSqlToken(std::nullopt);
    EXPECT_EQ(Post(sim, Gun("`units`", "")).body, "%31%30");

    // What arrived, byte for byte: the GBK message, not a converted copy.
    sim.clearHits();
    Post(sim, Que("`units`", "品牌名", " WHERE `keywords`='MIBOX3'"));
    const std::vector<std::string> sent = sim.sqlMessageBytes();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "42|+|QUE|+|tessiwop|+|`units`|+|" + Hex("c6b7c5c6c3fb") +
                           "|+| WHERE `keywords`='MIBOX3'|+|");  // 品牌名
}

}  // namespace
}  // namespace qvpc::servicesim::test
