// The catalog and its downloads against servicesim's hostile mode: names
// made of shell code, quotes and paths that climb out of their folder, and
// replies that never end, are huge or come a byte every few seconds. Every
// call returns within its bound, nothing is written outside the data
// folder, no command hidden in a name runs, what was kept stays, and the
// window's event loop keeps turning while the user waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include "app/app_actions.h"
#include "base/picture_bytes.h"
#include "services/catalog_cache.h"
#include "services/catalog_page.h"
#include "support/catalog_rig.h"
#include "support/core_rig.h"
#include "support/loopback.h"
#include "support/wait.h"

namespace qvpc {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::CatalogRig;

constexpr const char* kRecommended = "tjlist.php?chanel=kestrunebox";  // 19 entries
constexpr const char* kLive = "list.php?modid=8&chanel=kestrunebox";   // 10

// What a hostile name's command leaves when it runs (in the shell's folder,
// the data folder), and what its climbs and absolute paths aim at.
constexpr const char* kRan = "qvpc-ran";
constexpr const char* kEscape = "qvpc-escape";

// Every file and folder under root but those in the data folder, with the
// size of each file.
std::map<std::string, std::uintmax_t> TreeOutside(const std::string& root,
                                                  const std::string& dataDir) {
    std::map<std::string, std::uintmax_t> tree;
    const fs::path inside = fs::path(dataDir).lexically_normal();
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (it->path().lexically_normal() == inside) {
            it.disable_recursion_pending();
            continue;
        }
        tree[it->path().string()] = it->is_regular_file() ? it->file_size() : 0;
    }
    return tree;
}

bool IsTrace(const fs::path& path) {
    const std::string name = path.filename().string();
    return name == kRan || name.starts_with(kEscape);
}

// What a command or a climb would have left: under the test's folder, the
// data folder included, and in /tmp, where the absolute names aim.
std::vector<std::string> Traces(const std::string& root) {
    std::vector<std::string> traces;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (IsTrace(entry.path())) {
            traces.push_back(entry.path().string());
        }
    }
    for (const auto& entry : fs::directory_iterator("/tmp")) {
        if (IsTrace(entry.path())) {
            traces.push_back(entry.path().string());
        }
    }
    return traces;
}

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

std::string CachedName(CatalogRig& rig, const std::string& id) {
    std::optional<QueryResult> result = rig.parts.database.Query(
        "select 应用名称 from " + std::string(CatalogCache::kTable) + " where 应用编号=?", {id});
    return result && result->First() ? result->ReadText("应用名称") : "(no row)";
}

std::string TileState(const test::FakeScreen& screen, int position) {
    const auto states = screen.catalogTileStates();
    const auto found = states.find(position);
    return found == states.end() ? std::string() : found->second;
}

TEST(HostileServicesE2e, HostileNamesShowAsTheyAreAndEveryFileStaysInTheDataFolder) {
    CatalogRig rig({.extraArgs = {"--hostile"}});
    ASSERT_EQ(Traces(rig.dir.path()), std::vector<std::string>{}) << "remove them first";
    rig.parts.state.setCurrentIp("192.168.1.20");
    rig.shell.setAttached(true);
    rig.shell.onCommand([&](const std::string& line) {
        if (line.find(" install ") != std::string::npos) {
            rig.shell.finishCommand("Performing Streamed Install\r\nSuccess\r\n");
        }
    });
    AppActions actions(rig.parts, rig.shell, rig.screen, [] {});
    const auto outside = TreeOutside(rig.dir.path(), rig.paths.dataDir);

    actions.enterAppManagement();
    const auto tiles = rig.screen.catalogTiles();
    ASSERT_EQ(tiles.size(), 9u);
    EXPECT_EQ(tiles.at(1).name, "$(touch qvpc-ran)");
    EXPECT_EQ(tiles.at(5).name, "../../../qvpc-escape");
    EXPECT_EQ(tiles.at(9).name.size(), 120000u) << "a long title is kept whole";
    EXPECT_EQ(rig.cachedRows(), 9);
    EXPECT_EQ(CachedName(rig, "1001' OR '1'='1"), "$(touch qvpc-ran)");
    for (const auto& [position, tile] : tiles) {
        SCOPED_TRACE(position);
        ASSERT_FALSE(tile.iconPath.empty());
        EXPECT_EQ(fs::path(tile.iconPath).parent_path().string() + "/", rig.paths.tempDir);
        EXPECT_TRUE(LooksLikePicture(test::ReadFile(tile.iconPath)));
    }

    // A title that climbs, one that starts at "/" and one too long for a
    // file name: each download lands in the download folder, its title made
    // safe. (The titles made of shell code go to a box in the next test.)
    for (int position : {5, 6, 9}) {
        SCOPED_TRACE(position);
        actions.downloadCatalogApp(position);
        ASSERT_TRUE(test::WaitFor([&] { return TileState(rig.screen, position) == "已安装"; }))
            << rig.screen.popupText();
    }
    std::vector<std::string> downloaded;
    for (const auto& entry : fs::directory_iterator(rig.paths.downloadDir)) {
        downloaded.push_back(entry.path().filename().string());
    }
    std::sort(downloaded.begin(), downloaded.end());
    EXPECT_EQ(downloaded,
              (std::vector<std::string>{"_.._.._qvpc-escape.apk", "_tmp_qvpc-escape.apk",
                                        Repeated("长", 40) + ".apk"}));

    // The market app's entry names a file:// address in tags of its own
    // summary; the download is the entry's own.
    actions.installMarketApp();
    ASSERT_TRUE(test::WaitFor([&] { return rig.shell.commandsWith(" install ").size() == 4; }));
    EXPECT_TRUE(fs::exists(rig.paths.dataDir + "/Kestrune市场.apk"));

    EXPECT_EQ(TreeOutside(rig.dir.path(), rig.paths.dataDir), outside);
    EXPECT_EQ(Traces(rig.dir.path()), std::vector<std::string>{});
}

TEST(HostileServicesE2e, ShellCodeInTitlesReachesTheBoxAsAFileNameAndRunsNowhere) {
    test::ServiceSimProcess sim({.extraArgs = {"--hostile"}});
    Config config;
    config.catalogHost = sim.hostPort(test::SimService::Catalog);
    config.downloadHost = sim.hostPort(test::SimService::Download);
    const std::string address = test::FreeLoopbackAddress();
    test::CoreRig rig({test::BoxAt(address)}, test::CoreRig::QuickTicks(), config);
    rig.start();
    ASSERT_TRUE(rig.connect(address));
    const auto outside = TreeOutside(rig.dir.path(), rig.paths.dataDir);

    rig.core.actions().enterAppManagement();
    ASSERT_EQ(rig.screen.catalogTiles().size(), 9u);
    // $(), backquotes, both quotes, metacharacters with a backslash, line
    // breaks: each through the real shell and adb to the box.
    for (int position : {1, 2, 3, 4, 7, 8}) {
        SCOPED_TRACE(position);
        rig.core.actions().downloadCatalogApp(position);
        ASSERT_TRUE(test::WaitFor([&] { return TileState(rig.screen, position) == "已安装"; },
                                  std::chrono::seconds(60)))
            << TileState(rig.screen, position) << " " << rig.screen.popupText();
    }
    EXPECT_EQ(TreeOutside(rig.dir.path(), rig.paths.dataDir), outside);
    EXPECT_EQ(Traces(rig.dir.path()), std::vector<std::string>{});
}

// Replies that never end, are huge or trickle: each wait ends within its
// fetch's bound, the event loop turns meanwhile, the cache and the shown
// list stay, and the next normal reply shows.
TEST(HostileServicesE2e, RepliesWithoutEndOrSpeedEndWithinTheirBoundsAndLoseNothing) {
    CatalogRig rig;
    rig.screen.playUiThread();
    CatalogPage& page = rig.parts.catalogPage;
    page.showCatalogPage(std::string(kLive), 1);
    ASSERT_EQ(rig.cachedRows(), 9);
    const CatalogItems shown = page.items();
    const std::string icon = rig.screen.catalogTiles().at(1).iconPath;
    const std::string iconBytes = test::ReadFile(icon);
    const auto outside = TreeOutside(rig.dir.path(), rig.paths.dataDir);

    struct Case {
        std::string fault;
        std::chrono::seconds bound;  // the fetches' own: four phases of their time-out
    };
    // A list is fetched once with 2 s a phase; page 2's one new tile fetches
    // its icon twice (recorded, then for its file) with 2 s a phase.
    const Case cases[] = {
        {"list=endless", std::chrono::seconds(8)},
        {"list=huge:104857600", std::chrono::seconds(8)},
        {"list=loris:2500", std::chrono::seconds(8)},
        {"icon=endless", std::chrono::seconds(16)},
        {"icon=huge:104857600", std::chrono::seconds(16)},
        {"icon=loris:2500", std::chrono::seconds(16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::size_t eq = c.fault.find('=');
        rig.sim.setFault(c.fault.substr(0, eq), c.fault.substr(eq + 1));
        const int turns = rig.screen.eventLoopTurns();
        const auto start = Clock::now();
        page.showCatalogPage(std::nullopt, 2);
        const auto took = Clock::now() - start;
        EXPECT_LT(took, c.bound);
        // A turn every few milliseconds; one at least every 50 ms.
        EXPECT_GE(rig.screen.eventLoopTurns() - turns, took / std::chrono::milliseconds(50))
            << "the window kept turning";
        if (c.fault.starts_with("list")) {
            EXPECT_EQ(rig.screen.catalogNotice(), CatalogPage::kUnreachable);
            EXPECT_EQ(page.items(), shown);
        } else {
            ASSERT_EQ(rig.screen.catalogTiles().size(), 1u) << "the tile shows without its icon";
            EXPECT_FALSE(fs::exists(rig.screen.catalogTiles().at(1).iconPath));
        }
        rig.sim.clearFaults();
        page.showCatalogPage(std::nullopt, 1);
        EXPECT_EQ(rig.screen.catalogTiles().size(), 9u) << "usable again";
    }
    // The lookup waits 5 s a phase.
    for (const std::string fault : {"endless", "huge:104857600"}) {
        SCOPED_TRACE(fault);
        rig.sim.setFault("lookup", fault);
        const auto start = Clock::now();
        EXPECT_EQ(rig.parts.catalogClient.lookupPackages({"com.kge.tv"}), "");
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
    }
    rig.sim.clearFaults();

    EXPECT_EQ(rig.cachedRows(), 9);
    EXPECT_EQ(test::ReadFile(icon), iconBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(rig.paths.tempDir), {}), 9)
        << "no piece of a failed icon left";
    EXPECT_EQ(TreeOutside(rig.dir.path(), rig.paths.dataDir), outside);
}

// A download that trickles keeps nothing else waiting, and shutting down
// does not wait for it.
TEST(HostileServicesE2e, ATricklingDownloadNeitherBlocksTheCatalogNorTheShutdown) {
    CatalogRig rig({.faults = {"apk=loris:3000"}});
    rig.screen.playUiThread();
    rig.parts.state.setCurrentIp("192.168.1.20");
    rig.shell.setAttached(true);
    AppActions actions(rig.parts, rig.shell, rig.screen, [] {});
    actions.enterAppManagement();
    actions.downloadCatalogApp(1);
    ASSERT_TRUE(test::WaitFor([&] { return rig.hits("apk") == 1; }));
    EXPECT_EQ(TileState(rig.screen, 1), "下载中");

    actions.showCatalogCategory(2);
    EXPECT_EQ(rig.screen.catalogTiles().size(), 9u);
    EXPECT_EQ(rig.screen.catalogNotice(), "");

    const auto start = Clock::now();
    rig.parts.downloader.shutDown();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(rig.shell.commandsWith(" install ").empty());
}

}  // namespace
}  // namespace qvpc
