// The catalog client and page 9's page loader against servicesim: the URLs
// asked for, the page arithmetic, the lists' failures, the market search and
// the package lookup.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/catalog_views.h"
#include "services/catalog_lists.h"
#include "support/catalog_rig.h"

namespace qvpc {
namespace {

using test::CatalogRig;
using test::ServiceSimOptions;

constexpr const char* kRecommended = "tjlist.php?chanel=kestrunebox";  // 19 entries
constexpr const char* kLive = "list.php?modid=8&chanel=kestrunebox";   // 10
constexpr const char* kVod = "list.php?modid=9&chanel=kestrunebox";    // 9

std::string LastListTarget(const CatalogRig& rig) {
    const auto hits = rig.sim.hits("list");
    return hits.empty() ? std::string() : hits.back()["target"].get<std::string>();
}

TEST(CatalogPageE2e, APageAsksForItsNineEntries) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 2);
    EXPECT_EQ(LastListTarget(rig), "/openapi/list.php?modid=8&chanel=kestrunebox&s=9&e=18");
    // The pager asks for a page of the list shown last.
    rig.parts.catalogPage.showCatalogPage(std::nullopt, 1);
    EXPECT_EQ(LastListTarget(rig), "/openapi/list.php?modid=8&chanel=kestrunebox&s=0&e=9");
}

TEST(CatalogPageE2e, TotalsMakeThePagesAndTheLastPageHoldsWhatIsLeft) {
    struct Case {
        const char* path;
        std::vector<std::string> faults;
        int page;
        int pages;
        int tiles;
    };
    const Case cases[] = {
        {kRecommended, {"list=allnum:18"}, 2, 2, 9},
        {kRecommended, {}, 3, 3, 1},
        {kVod, {}, 1, 1, 9},
        {kLive, {}, 2, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " page " + std::to_string(c.page));
        CatalogRig rig({.faults = c.faults});
        rig.parts.catalogPage.showCatalogPage(std::string(c.path), c.page);
        EXPECT_EQ(rig.parts.catalogPage.pageCount(), c.pages);
        EXPECT_EQ(rig.screen.catalogPages(), std::make_pair(c.pages, c.page));
        EXPECT_EQ(static_cast<int>(rig.screen.catalogTiles().size()), c.tiles);
        EXPECT_EQ(rig.screen.catalogNotice(), "");
    }
}

TEST(CatalogPageE2e, APagePastTheEndShowsTheLastPage) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kRecommended), 5);
    EXPECT_EQ(rig.parts.catalogPage.currentPage(), 3);
    EXPECT_EQ(rig.screen.catalogPages(), std::make_pair(3, 3));
    const auto tiles = rig.screen.catalogTiles();
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles.at(1).name, "美食菜谱") << "the list's 19th entry";
    EXPECT_EQ(LastListTarget(rig), "/openapi/tjlist.php?chanel=kestrunebox&s=18&e=27");
}

TEST(CatalogPageE2e, TilesCarryTheirEntries) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
    const auto tiles = rig.screen.catalogTiles();
    ASSERT_EQ(tiles.size(), 9u);
    const CatalogTile& first = tiles.at(1);
    EXPECT_EQ(first.name, "星空直播");
    EXPECT_EQ(first.version, "3.2.1");
    EXPECT_EQ(first.size, "12.6M");
    EXPECT_EQ(first.state, "安装");
    EXPECT_EQ(first.total, 10);
    EXPECT_EQ(first.downloadUrl,
              rig.sim.baseUrl(test::SimService::Download) + "/down/apk/com.xingkong.live_321.apk");
    EXPECT_EQ(first.iconPath, rig.paths.tempDir + "com.xingkong.live.png");
    EXPECT_TRUE(std::filesystem::exists(first.iconPath));
}

TEST(CatalogPageE2e, RepliesInOtherShapesShowTheirTiles) {
    struct Case {
        std::string fault;
        int pages;
    };
    const Case cases[] = {
        {"list=literal", 3},
        // A total sent as a number is that number, not 0.
        {"list=number:allnum", 3},
        // A total that cannot be read: the page's own entries show, and the
        // pages known so far.
        {"list=allnum:many", 1},
        {"list=crlf", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        CatalogRig rig({.faults = {c.fault}});
        rig.parts.catalogPage.showCatalogPage(std::string(kRecommended), 1);
        EXPECT_EQ(rig.screen.catalogTiles().size(), 9u);
        EXPECT_EQ(rig.parts.catalogPage.pageCount(), c.pages);
    }
}

TEST(CatalogPageE2e, AnEntryWithoutItsIconShowsItsTileWithout) {
    CatalogRig rig({.faults = {"list=missing:appico"}});
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
    const auto tiles = rig.screen.catalogTiles();
    ASSERT_EQ(tiles.size(), 9u);
    EXPECT_EQ(tiles.at(1).iconPath, "");
    EXPECT_EQ(tiles.at(1).name, "星空直播");
    EXPECT_NE(tiles.at(2).iconPath, "");
}

TEST(CatalogPageE2e, AListThatCannotBeFetchedSaysSoAndKeepsTheItems) {
    for (const std::string fault : {"-1", "empty", "malformed", "http:500"}) {
        SCOPED_TRACE(fault);
        CatalogRig rig;
        rig.parts.catalogPage.showCatalogPage(std::string(kRecommended), 1);
        const CatalogItems shown = rig.parts.catalogPage.items();
        rig.sim.setFault("list", fault);
        rig.parts.catalogPage.showCatalogPage(std::nullopt, 2);
        EXPECT_EQ(rig.parts.catalogPage.items(), shown);
        EXPECT_TRUE(rig.screen.catalogTiles().empty()) << "no tiles of another page";
        EXPECT_EQ(rig.screen.catalogNotice(), "应用数据获取失败,请检查网络.");
        EXPECT_EQ(rig.screen.catalogPages(), std::make_pair(3, 2)) << "the pager stays";
        // Once the server answers again the page shows.
        rig.sim.clearFaults();
        rig.parts.catalogPage.showCatalogPage(std::nullopt, 2);
        EXPECT_EQ(rig.screen.catalogNotice(), "");
        EXPECT_EQ(rig.screen.catalogTiles().size(), 9u);
    }
}

TEST(CatalogPageE2e, ACatalogThatCannotBeReachedSaysSo) {
    CatalogRig rig;
    CatalogClient unreachable({"127.0.0.1:1", "127.0.0.1:1"}, rig.screen);
    CatalogPage page(unreachable, rig.screen, rig.screen, [](int, const CatalogItem&) {});
    page.showCatalogPage(std::string(kRecommended), 1);
    EXPECT_EQ(rig.screen.catalogNotice(), "应用数据获取失败,请检查网络.");
    EXPECT_EQ(rig.screen.catalogPages(), std::make_pair(0, 0));
}

TEST(CatalogClientE2e, AReplyWithOnlyItsTotalLeavesTheItems) {
    CatalogRig rig;
    CatalogClient& client = rig.parts.catalogClient;
    CatalogItems items;
    ASSERT_EQ(client.loadJsonList(client.listUrl(kVod, 0, 9), items), 9);
    const CatalogItems loaded = items;
    EXPECT_EQ(client.loadJsonList(client.listUrl(kVod, 9, 18), items), -2);
    EXPECT_EQ(items, loaded);
    rig.sim.setFault("list", "-1");
    EXPECT_EQ(client.loadJsonList(client.listUrl(kVod, 0, 9), items), kListRefused);
    EXPECT_EQ(items, loaded);
}

TEST(CatalogClientE2e, TheTaggedListOfTheMarketSearch) {
    CatalogRig rig;
    CatalogClient& client = rig.parts.catalogClient;
    CatalogItems items;
    const std::string search =
        rig.sim.baseUrl(test::SimService::Download) + "/api/soupackzs.php?kw=master";
    ASSERT_EQ(client.loadTaggedList(search, items), 3);
    for (const CatalogItem& item : items) {
        EXPECT_EQ(item.total, "3");
        EXPECT_TRUE(item.package.ends_with(".master")) << item.package;
        EXPECT_TRUE(item.downloadUrl.ends_with(".apk")) << item.downloadUrl;
    }
    EXPECT_EQ(client.loadTaggedList(client.marketSearchUrl(), items), 1);
    EXPECT_EQ(items[0].name, "Kestrune市场");
    EXPECT_EQ(rig.sim.hits("search").back()["target"], "/api/soupackzs.php?kw=com.kestrunemarket");
}

TEST(CatalogClientE2e, ThePackageLookupDecodedAndItsEmptyAnswers) {
    CatalogRig rig;
    CatalogClient& client = rig.parts.catalogClient;
    const std::string reply = client.lookupPackages({"com.kge.tv", "com.yingyu.kids"});
    EXPECT_EQ(rig.sim.hits("lookup").back()["target"],
              "/apinew/soubaonew.php?packs=com.kge.tv,com.yingyu.kids");
    EXPECT_NE(reply.find(R"("apptitle":"K歌TV")"), std::string::npos) << reply;
    EXPECT_NE(reply.find(R"("apptitle":"Kid's英语")"), std::string::npos) << reply;
    EXPECT_NE(reply.find(R"("versioncode":"444")"), std::string::npos);

    EXPECT_EQ(client.lookupPackages({"com.unknown.app"}), "");
    rig.sim.clearHits();
    EXPECT_EQ(client.lookupPackages({}), "");
    EXPECT_EQ(client.lookupPackages({"not a package; rm -rf"}), "");
    EXPECT_EQ(rig.hits("lookup"), 0) << "nothing to ask for, no request";
}

TEST(CatalogClientE2e, ThePackageLookupInTheShapesServersSend) {
    struct Case {
        std::string fault;
        std::string expected;
    };
    const Case cases[] = {
        {"escape:json", R"("versionname":"4.4.4")"},
        {"escape:percent", R"("versionname":"4.4.4")"},
        {"number:versioncode", R"("versioncode":444)"},
        {"crlf", "\"versionname\": \"4.4.4\",\r\n"},
        {"leadcr", R"("versionname": "4.4.4")"},
    };
    CatalogRig rig;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        rig.sim.setFault("lookup", c.fault);
        const std::string reply = rig.parts.catalogClient.lookupPackages({"com.kge.tv"});
        EXPECT_NE(reply.find(c.expected), std::string::npos) << reply;
        if (c.fault == "leadcr") {
            EXPECT_EQ(reply.find('\r'), std::string::npos) << "every CR dropped";
        }
    }
}

}  // namespace
}  // namespace qvpc
