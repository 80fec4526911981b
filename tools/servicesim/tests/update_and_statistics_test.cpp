// The update server and the statistics server of servicesim.

#include <gtest/gtest.h>

#include "http_fetch.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ServiceSimOptions;
using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;

const std::string kTrue = Hex("d5e6");   // "真" in GBK
const std::string kFalse = Hex("bcd9");  // "假" in GBK

TEST(UpdateCheck, AnswersTheConfiguredOfferAsGbkItems) {
    ServiceSimOptions options;
    options.updateVersion = "1.4.10.0";
    options.updateUrl = "http://update.example/qvpc_1.4.10.0.bin";
    options.updateForce = true;
    options.updateNotes = "1. a b\r\n2. c";
    ServiceSimProcess sim(options);
    const std::string url = sim.baseUrl(SimService::Update) + "/getupdate.php";

    Fetched reply = Fetch(url);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "1.4.10.0<rb>http://update.example/qvpc_1.4.10.0.bin<rb>" + kTrue +
                              "<rb>1. a b\r\n2. c<rb>2017-02-21<br>");
}

TEST(UpdateCheck, OffersTheProjectVersionByDefaultAndChangesWhileRunning) {
    ServiceSimProcess sim;
    const std::string url = sim.baseUrl(SimService::Update) + "/getupdate.php";
    // Without a URL of its own the offer points at the double's update file.
    const std::string file = sim.baseUrl(SimService::Download) + "/down/update/update_QVPC.bin";
    Fetched first = Fetch(url);
    EXPECT_TRUE(
        first.body.starts_with(QVPC_PROJECT_VERSION "<rb>" + file + "<rb>" + kFalse + "<rb>"))
        << first.body;
    EXPECT_TRUE(first.body.ends_with("<br>"));
    EXPECT_EQ(Fetch(file).status, 200);

    sim.setUpdate("2.0.0.0", std::nullopt, true, std::string("修复"));
    EXPECT_EQ(Fetch(url).body, "2.0.0.0<rb>" + file + "<rb>" + kTrue + "<rb>" + Hex("d0deb8b4") +
                                   "<rb>2017-02-21<br>");
}

TEST(UpdateCheck, AnswersInUtf8AfterAMarkWhenAskedTo) {
    ServiceSimOptions options;
    options.updateVersion = "1.4.10.0";
    options.updateUrl = "http://update.example/new.bin";
    options.updateNotes = "1. 修复";
    options.extraArgs = {"--update-charset", "utf-8"};
    ServiceSimProcess sim(options);
    const std::string url = sim.baseUrl(SimService::Update) + "/getupdate.php";

    Fetched reply = Fetch(url);
    EXPECT_EQ(reply.header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(reply.body,
              "\xEF\xBB\xBF"
              "1.4.10.0<rb>http://update.example/new.bin<rb>假<rb>1. 修复<rb>2017-02-21<br>");

    sim.control("POST", "update?charset=gbk");
    reply = Fetch(url);
    EXPECT_EQ(reply.header("Content-Type"), "text/html; charset=gbk");
    EXPECT_EQ(reply.body, "1.4.10.0<rb>http://update.example/new.bin<rb>" + kFalse + "<rb>1. " +
                              Hex("d0deb8b4") + "<rb>2017-02-21<br>");
}

TEST(Statistics, RefusesAHitWithAFieldLeftUnfilled) {
    ServiceSimProcess sim;
    const std::string base = sim.baseUrl(SimService::Stats) + "/index.php?m=&c=api&a=addpc";
    // The client drops everything from "#" on, so "##" arrives as an empty hot
    // and no mtime at all.
    const std::string queries[] = {"&add=@@&hot=1&mtime=1487606400",
                                   "&add=1&hot=", "&add=1&hot=1&mtime=$$", "&add=1&hot=1"};
    for (const std::string& query : queries) {
        EXPECT_EQ(Fetch(base + query).status, 400) << query;
    }
    EXPECT_EQ(Fetch(base + "&add=1&hot=1&mtime=1487606400").status, 200);

    std::vector<nlohmann::json> hits = sim.statisticsHits();
    ASSERT_EQ(hits.size(), 5u);
    EXPECT_EQ(hits[0]["status"], 400);
    EXPECT_EQ(hits[0]["query"]["add"], "@@");
    EXPECT_EQ(hits[4]["status"], 200);
}

TEST(Statistics, EveryHitIsRecordedWithItsQuery) {
    ServiceSimProcess sim;
    const std::string base = sim.baseUrl(SimService::Stats) + "/index.php?m=&c=api&a=addpc";
    const std::string queries[] = {"&add=1&hot=1&mtime=1487606400", "&add=0&hot=0&mtime=1487606400",
                                   "&add=0&hot=1&mtime=1487692800"};
    for (const std::string& query : queries) {
        Fetched reply = Fetch(base + query);
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.body, "1");
    }
    Fetch(sim.baseUrl(SimService::Update) + "/getupdate.php");

    std::vector<nlohmann::json> hits = sim.statisticsHits();
    ASSERT_EQ(hits.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(hits[i]["target"], "/index.php?m=&c=api&a=addpc" + queries[i]);
        EXPECT_EQ(hits[i]["query"]["m"], "");
        EXPECT_EQ(hits[i]["query"]["a"], "addpc");
    }
    EXPECT_EQ(hits[0]["query"]["add"], "1");
    EXPECT_EQ(hits[1]["query"]["hot"], "0");
    EXPECT_EQ(hits[2]["query"]["mtime"], "1487692800");
    EXPECT_EQ(sim.hits().size(), 4u);
    sim.clearHits();
    EXPECT_TRUE(sim.statisticsHits().empty());
}

TEST(Services, EachListenerServesOnlyItsOwnHost) {
    ServiceSimProcess sim;
    EXPECT_EQ(Fetch(sim.baseUrl(SimService::Catalog) + "/getupdate.php").status, 404);
    EXPECT_EQ(
        Fetch(sim.baseUrl(SimService::Update) + "/openapi/tjlist.php?chanel=kestrunebox").status,
        404);
    EXPECT_EQ(Fetch(sim.baseUrl(SimService::Stats) + "/down/icon/com.kge.tv.png").status, 404);
    std::vector<nlohmann::json> hits = sim.hits();
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0]["endpoint"], "unknown");
}

}  // namespace
}  // namespace qvpc::servicesim::test
