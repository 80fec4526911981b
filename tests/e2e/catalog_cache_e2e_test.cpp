// The catalog cache against servicesim and the local database: an entry
// shown again unchanged costs nothing, a changed one is rewritten in place,
// and what the network sends is written only as a safe file of the icon
// folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "services/catalog_cache.h"
#include "support/catalog_rig.h"

namespace qvpc {
namespace {

namespace fs = std::filesystem;
using test::CatalogRig;

constexpr const char* kLive = "list.php?modid=8&chanel=kestrunebox";

std::string CachedText(CatalogRig& rig, const std::string& column, const std::string& id) {
    std::optional<QueryResult> result =
        rig.parts.database.Query("select " + column + " from 应用数据缓存 where 应用编号=?", {id});
    return result && result->First() ? result->ReadText(column) : "(no row)";
}

TEST(CatalogCacheE2e, EntriesAreRecordedWithTheirIcons) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
    EXPECT_EQ(rig.cachedRows(), 9);
    EXPECT_EQ(rig.hits("icon"), 9);
    EXPECT_EQ(CachedText(rig, "应用名称", "1001"), "星空直播");
    EXPECT_EQ(CachedText(rig, "更新时间", "1001"), "2017-01-01 08:00:00");
    EXPECT_EQ(CachedText(rig, "应用包名", "1001"), "com.xingkong.live");
    EXPECT_EQ(CachedText(rig, "缩略图集", "1001"), "");
    EXPECT_EQ(test::ReadFile(rig.paths.tempDir + "com.xingkong.live.png"),
              test::ReadFile(rig.sim.dataDir() + "/icons/com.xingkong.live.png"));
}

TEST(CatalogCacheE2e, TheSamePageShownAgainMakesNoDownloadAndNoWrite) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
    ASSERT_EQ(rig.hits("icon"), 9);
    // A write would overwrite this.
    ASSERT_TRUE(rig.parts.database.Execute("update 应用数据缓存 set 应用简介='mark'"));
    rig.parts.catalogPage.showCatalogPage(std::nullopt, 1);
    EXPECT_EQ(rig.hits("icon"), 9);
    EXPECT_EQ(rig.cachedRows(), 9);
    EXPECT_EQ(rig.parts.database.CountRows(CatalogCache::kTable, "where 应用简介='mark'"), 9);
    EXPECT_EQ(rig.screen.catalogTiles().size(), 9u);
}

TEST(CatalogCacheE2e, AChangedUpdateTimeRewritesTheRowInPlace) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
    // As if the server had changed the entry since.
    ASSERT_TRUE(rig.parts.database.Execute(
        "update 应用数据缓存 set 更新时间='2016-01-01', 应用名称='old' where 应用编号='1001'"));
    const std::string rowId = CachedText(rig, "id", "1001");
    rig.sim.clearHits();
    rig.parts.catalogPage.showCatalogPage(std::nullopt, 1);
    EXPECT_EQ(rig.hits("icon"), 1);
    EXPECT_EQ(rig.cachedRows(), 9) << "no new row";
    EXPECT_EQ(CachedText(rig, "id", "1001"), rowId);
    EXPECT_EQ(CachedText(rig, "更新时间", "1001"), "2017-01-01 08:00:00");
    EXPECT_EQ(CachedText(rig, "应用名称", "1001"), "星空直播");
}

TEST(CatalogCacheE2e, AMissingIconFileIsFetchedAgain) {
    CatalogRig rig;
    rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
    fs::remove(rig.paths.tempDir + "com.xingkong.live.png");
    rig.sim.clearHits();
    rig.parts.catalogPage.showCatalogPage(std::nullopt, 1);
    EXPECT_EQ(rig.hits("icon"), 1);
    EXPECT_TRUE(fs::exists(rig.paths.tempDir + "com.xingkong.live.png"));
}

TEST(CatalogCacheE2e, AnIconThatDoesNotComeLeavesNoFileAndNoRow) {
    // Nothing, an error page with status 200, an error status: no picture.
    for (const std::string fault : {"empty", "malformed", "http:404"}) {
        SCOPED_TRACE(fault);
        CatalogRig rig({.faults = {"icon=" + fault}});
        rig.parts.catalogPage.showCatalogPage(std::string(kLive), 1);
        EXPECT_EQ(rig.cachedRows(), 0) << "the next showing tries again";
        EXPECT_TRUE(fs::is_empty(rig.paths.tempDir)) << "no empty icon file";
        const auto tiles = rig.screen.catalogTiles();
        ASSERT_EQ(tiles.size(), 9u) << "the tiles still show";
        EXPECT_FALSE(fs::exists(tiles.at(1).iconPath));
        // Each entry tried twice: once to record it, once for its file.
        EXPECT_EQ(rig.hits("icon"), 18);

        rig.sim.clearFaults();
        rig.parts.catalogPage.showCatalogPage(std::nullopt, 1);
        EXPECT_EQ(rig.cachedRows(), 9);
        EXPECT_TRUE(fs::exists(tiles.at(1).iconPath));
    }
}

TEST(CatalogCacheE2e, IconFileNamesFromTheNetworkAreMadeSafe) {
    CatalogRig rig;
    CatalogCache& cache = rig.parts.catalogCache;
    const std::string folder = rig.paths.tempDir;
    const std::pair<std::string, std::string> cases[] = {
        {"http://h/icons/a.png", folder + "a.png"},
        {"http://h/icons/..png", folder + "png"},
        {"http://h/icons/.hidden.png", folder + "hidden.png"},
        {"http://h/icons/x%2F..%2Fy.png", folder + "x%2F..%2Fy.png"},
        {"http://h/icons/back\\..\\slash.png", folder + "back_.._slash.png"},
        {"http://h/icons/noextension", ""},
        {"http://h/icons/", ""},
        {"http://h/icons/...", ""},
    };
    for (const auto& [url, path] : cases) {
        CatalogItem item;
        item.iconUrl = url;
        EXPECT_EQ(cache.iconPath(item), path) << url;
    }
}

TEST(CatalogCacheE2e, ValuesWithQuotesAreStoredAsTheyAre) {
    CatalogRig rig;
    CatalogItem item;
    item.id = "x'1";
    item.name = "it's \"quoted\"; drop table 应用数据缓存; --";
    item.updateTime = "t";
    item.iconUrl = rig.sim.baseUrl(test::SimService::Download) + "/down/icon/com.kge.tv.png";
    rig.parts.catalogCache.addTile(1, item);
    EXPECT_EQ(CachedText(rig, "应用名称", "x'1"), item.name);
    EXPECT_EQ(rig.screen.catalogTiles().at(1).name, item.name);
}

}  // namespace
}  // namespace qvpc
