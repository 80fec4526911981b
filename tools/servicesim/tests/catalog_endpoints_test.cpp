// The catalog server and the download server of servicesim, byte by byte
// where the program reads bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "http_fetch.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

#ifdef SERVICESIM_HAVE_APK_READER
#include "boxsim/apk/apk_reader.h"
#endif

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ReadFile;
using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;

const std::vector<std::string> kEntryKeys = {"appid",  "apptitle", "packname", "appver", "appsize",
                                             "appico", "downurl",  "lastapp",  "summary"};

std::string ListUrl(const ServiceSimProcess& sim, const std::string& requestPath, int start,
                    int end) {
    return sim.baseUrl(SimService::Catalog) + "/openapi/" + requestPath +
           "&s=" + std::to_string(start) + "&e=" + std::to_string(end);
}

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++n;
    }
    return n;
}

TEST(CatalogList, EachCategoryAnswersItsFirstPageAsTheAllnumObject) {
    struct Case {
        std::string requestPath;
        int total;
    };
    const Case cases[] = {
        {"tjlist.php?chanel=kestrunebox", 19},      {"list.php?modid=8&chanel=kestrunebox", 10},
        {"list.php?modid=9&chanel=kestrunebox", 9}, {"allapp.php?type=2&chanel=kestrunebox", 5},
        {"list.php?modid=5&chanel=kestrunebox", 4}, {"list.php?modid=4&chanel=kestrunebox", 3},
        {"list.php?modid=3&chanel=kestrunebox", 4}, {"list.php?modid=6&chanel=kestrunebox", 5},
    };
    ServiceSimProcess sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requestPath);
        Fetched reply = Fetch(ListUrl(sim, c.requestPath, 0, 9));
        ASSERT_EQ(reply.code, CURLE_OK);
        EXPECT_EQ(reply.status, 200);
        nlohmann::ordered_json list = nlohmann::ordered_json::parse(reply.body);
        ASSERT_TRUE(list.is_object());
        const int shown = std::min(c.total, 9);
        ASSERT_EQ(list.size(), static_cast<size_t>(shown + 1));
        EXPECT_EQ(list.begin().key(), "allnum");
        EXPECT_EQ(list["allnum"], std::to_string(c.total));
        for (int i = 1; i <= shown; ++i) {
            const auto& entry = list.at(std::to_string(i));
            ASSERT_EQ(entry.size(), kEntryKeys.size());
            for (const std::string& key : kEntryKeys) {
                EXPECT_TRUE(entry.at(key).is_string()) << key;
            }
        }
    }
}

TEST(CatalogList, StartAndEndChooseThePage) {
    ServiceSimProcess sim;
    const std::string recommended = "tjlist.php?chanel=kestrunebox";
    auto page = [&](int start, int end) {
        return nlohmann::json::parse(Fetch(ListUrl(sim, recommended, start, end)).body);
    };
    nlohmann::json all = page(0, 27);
    nlohmann::json second = page(9, 18);
    nlohmann::json third = page(18, 27);
    ASSERT_EQ(all.size(), 20u);
    ASSERT_EQ(second.size(), 10u);
    EXPECT_EQ(second["1"], all["10"]);
    EXPECT_EQ(second["9"], all["18"]);
    ASSERT_EQ(third.size(), 2u);  // total 19: the third page holds one entry
    EXPECT_EQ(third["1"], all["19"]);
    EXPECT_EQ(third["allnum"], "19");
    EXPECT_EQ(page(27, 36), nlohmann::json({{"allnum", "19"}}));
}

TEST(CatalogList, ReplyIsUtf8JsonWithEscapedSlashes) {
    ServiceSimProcess sim;
    Fetched reply = Fetch(ListUrl(sim, "list.php?modid=8&chanel=kestrunebox", 0, 1));
    const std::string host = "http:\\/\\/" + sim.hostPort(SimService::Download);
    EXPECT_EQ(
        reply.body,
        "{\"allnum\":\"10\",\"1\":{\"appid\":\"1001\",\"apptitle\":\"星空直播\","
        "\"packname\":\"com.xingkong.live\",\"appver\":\"3.2.1\",\"appsize\":\"12.6M\","
        "\"appico\":\"" +
            host +
            "\\/down\\/icon\\/com.xingkong.live.png\","
            "\"downurl\":\"" +
            host +
            "\\/down\\/apk\\/com.xingkong.live_321.apk\","
            "\"lastapp\":\"2017-01-01 08:00:00\",\"summary\":\"高清电视直播，上百个频道随心看\"}}");
    EXPECT_EQ(reply.header("Content-Type"), "text/html; charset=utf-8");
}

TEST(CatalogList, AListItDoesNotHaveIsAnEmptyObject) {
    ServiceSimProcess sim;
    for (const std::string path :
         {"list.php?modid=8&chanel=otherbox", "list.php?modid=77&chanel=kestrunebox",
          "nolist.php?chanel=kestrunebox"}) {
        EXPECT_EQ(Fetch(ListUrl(sim, path, 0, 9)).body, "{\"allnum\":\"0\"}") << path;
    }
}

TEST(PackageLookup, AnswersKnownPackagesUnderUnderscoreKeysWithEscapedText) {
    ServiceSimProcess sim;
    const std::string base = sim.baseUrl(SimService::Download) + "/apinew/soubaonew.php?packs=";
    const std::string host = "http:\\/\\/" + sim.hostPort(SimService::Download);

    EXPECT_EQ(
        Fetch(base + "com.kge.tv").body,
        "\xEF\xBB\xBF{\"allnum\":\"1\",\"com_kge_tv\":{\"versioncode\":\"444\",\"downurl\":\"" +
            host +
            "\\/down\\/apk\\/com.kge.tv_444.apk\",\"versionname\":\"4.4.4\","
            "\"size\":\"33.3M\",\"apptitle\":\"K\\u6b4cTV\",\"appico\":\"" +
            host + "\\/down\\/icon\\/com.kge.tv.png\"}}");

    Fetched several = Fetch(base + "com.unknown.app,com.yingyu.kids,com.xingkong.live");
    ASSERT_TRUE(several.body.starts_with("\xEF\xBB\xBF{"));
    std::string json = several.body.substr(3);
    EXPECT_TRUE(std::all_of(json.begin(), json.end(), [](char c) { return (c & 0x80) == 0; }))
        << "non-ASCII text goes out as \\u escapes";
    nlohmann::json lookup = nlohmann::json::parse(json);
    EXPECT_EQ(lookup["allnum"], "2");
    EXPECT_FALSE(lookup.contains("com_unknown_app"));
    EXPECT_EQ(lookup["com_yingyu_kids"]["apptitle"], "Kid's英语");
    EXPECT_EQ(lookup["com_xingkong_live"]["versioncode"], "321");
    // The icon the catalog's lists name, and that the icon endpoint serves.
    const std::string icon = lookup["com_xingkong_live"]["appico"];
    EXPECT_EQ(icon, sim.baseUrl(SimService::Download) + "/down/icon/com.xingkong.live.png");
    EXPECT_TRUE(Fetch(icon).body.starts_with("\x89PNG"));

    EXPECT_EQ(Fetch(base + "com.unknown.app").body, "{\"allnum\":\"0\"}");
    EXPECT_EQ(Fetch(base).body, "{\"allnum\":\"0\"}");
}

TEST(MarketSearch, AnswersTheTaggedListWithTheDownloadUrlInCdata) {
    ServiceSimProcess sim;
    const std::string base = sim.baseUrl(SimService::Download) + "/api/soupackzs.php?kw=";
    Fetched reply = Fetch(base + "com.kestrunemarket");
    ASSERT_EQ(Count(reply.body, "</url>"), 1u);
    const std::string apk =
        sim.baseUrl(SimService::Download) + "/down/apk/com.kestrunemarket_320.apk";
    for (const std::string& field :
         {"<downurl><![CDATA[" + apk + "]]></downurl>",
          std::string("<packname>com.kestrunemarket</packname>"),
          std::string("<apptitle>Kestrune市场</apptitle>"), std::string("<appver>3.2.0</appver>"),
          std::string("<appid>1040</appid>")}) {
        EXPECT_NE(reply.body.find(field), std::string::npos) << field;
    }
    // "</urlset>" must not pass for an item.
    EXPECT_EQ(Count(Fetch(base + "no.such.package").body, "</url>"), 0u);
    EXPECT_EQ(Count(Fetch(base + "COM.JI").body, "</url>"), 5u);  // jiguang, jiajia, jilu, ...
}

TEST(Downloads, IconsComeWholeOrByRange) {
    ServiceSimProcess sim;
    const std::string url = sim.baseUrl(SimService::Download) + "/down/icon/com.kge.tv.png";
    const std::string file = ReadFile(sim.dataDir() + "/icons/com.kge.tv.png");
    ASSERT_GT(file.size(), 100u);

    Fetched whole = Fetch(url);
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, file);
    EXPECT_EQ(whole.header("Content-Length"), std::to_string(file.size()));
    EXPECT_EQ(whole.header("Content-Type"), "image/png");
    EXPECT_EQ(whole.header("Accept-Ranges"), "bytes");

    Fetched part = Fetch(url, WithRange("16-31"));
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, file.substr(16, 16));
    EXPECT_EQ(part.header("Content-Range"), "bytes 16-31/" + std::to_string(file.size()));

    Fetched rest = Fetch(url, WithRange("100-"));
    EXPECT_EQ(rest.body, file.substr(100));

    Fetched past = Fetch(url, WithRange(std::to_string(file.size()) + "-"));
    EXPECT_EQ(past.status, 416);
    EXPECT_EQ(past.header("Content-Range"), "bytes */" + std::to_string(file.size()));
}

TEST(Downloads, NamesThatLeaveTheFolderOrDoNotExistAre404) {
    ServiceSimProcess sim;
    const std::string base = sim.baseUrl(SimService::Download);
    for (const std::string path : {"/down/icon/..%2Fapps.json", "/down/icon/%2E%2E%2Fapps.json",
                                   "/down/apk/..%2F..%2Fapps.json", "/down/icon/.hidden",
                                   "/down/icon/none.png", "/down/icon/", "/down/apk/a%00b.apk"}) {
        EXPECT_EQ(Fetch(base + path).status, 404) << path;
    }
}

TEST(Downloads, CatalogApksAreRealApksOfTheirEntries) {
#ifndef SERVICESIM_HAVE_APK_READER
    GTEST_SKIP() << "the build has no mkapk yet, so the catalog has no APKs";
#else
    ServiceSimProcess sim;
    nlohmann::json apps = nlohmann::json::parse(ReadFile(sim.dataDir() + "/apps.json"))["apps"];
    std::string packs;
    for (const auto& app : apps) {
        packs += (packs.empty() ? "" : ",") + app["packname"].get<std::string>();
    }
    Fetched lookupReply =
        Fetch(sim.baseUrl(SimService::Download) + "/apinew/soubaonew.php?packs=" + packs);
    nlohmann::json lookup = nlohmann::json::parse(lookupReply.body.substr(3));
    ASSERT_EQ(lookup["allnum"], std::to_string(apps.size()));
    for (const auto& app : apps) {
        std::string package = app["packname"];
        SCOPED_TRACE(package);
        std::string key = package;
        std::replace(key.begin(), key.end(), '.', '_');
        const auto& entry = lookup[key];
        Fetched apk = Fetch(entry["downurl"].get<std::string>());
        EXPECT_EQ(apk.header("Content-Type"), "application/vnd.android.package-archive");
        EXPECT_EQ(apk.header("Content-Length"), std::to_string(apk.body.size()));
        boxsim::ApkReadResult read = boxsim::ReadApk(apk.body);
        ASSERT_TRUE(read.info) << read.failure;
        EXPECT_EQ(read.info->packageName, package);
        EXPECT_EQ(std::to_string(read.info->versionCode), entry["versioncode"]);
        EXPECT_EQ(read.info->versionName, entry["versionname"]);
        EXPECT_EQ(read.info->label, app["apptitle"]);
        EXPECT_EQ(read.info->icon,
                  Fetch(sim.baseUrl(SimService::Download) + "/down/icon/" + package + ".png").body);
    }
#endif
}

}  // namespace
}  // namespace qvpc::servicesim::test
