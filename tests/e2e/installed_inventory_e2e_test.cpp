// The installed-app list built from a simulated box's companion, with the
// versions and icons of servicesim's download server.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "companion/adb_inventory.h"
#include "companion/companion_query.h"
#include "companion/icon_cache.h"
#include "companion/installed_inventory.h"
#include "support/boxsim_process.h"
#include "support/catalog_rig.h"
#include "support/loopback.h"

namespace qvpc {
namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8);

// The companion's list, asked for until it has one (at most 10 s).
std::string CompanionList(const std::string& address) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        std::string reply = CompanionQuery(address, kGetList, 1);
        if (reply.starts_with("[") || std::chrono::steady_clock::now() > deadline) {
            return reply;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::vector<std::string> RowNames(const test::FakeScreen& screen) {
    std::vector<std::string> names;
    for (const InstalledAppRow& row : screen.appRows()) {
        names.push_back(row.name);
    }
    return names;
}

int IconRequests(const test::BoxsimProcess& boxsim, const std::string& address) {
    const auto http = boxsim.received(address, "http");
    return static_cast<int>(std::count_if(http.begin(), http.end(), [](const std::string& line) {
        return line.find("/icons/") != std::string::npos;
    }));
}

TEST(InstalledInventoryE2eTest, TheCompanionsListWithItsIconsAndTheServersUpgrades) {
    test::CatalogRig rig;
    test::BoxSpec box = test::BoxAt(test::FreeLoopbackAddress());
    box.companionVersion = 3;
    box.companionRunning = true;
    box.companionNotReadyPolls = 0;
    // One the server has newer, one it has in the same version, one it
    // does not know.
    box.packages = {{.packageName = "com.kge.tv", .versionCode = 400, .label = "K歌TV"},
                    {.packageName = "com.xingkong.live", .versionCode = 321, .label = "星空直播"},
                    {.packageName = "com.example.player", .versionCode = 7, .label = "Player"}};
    test::BoxsimProcess boxsim({box});
    std::string reply = CompanionList(box.address);
    ASSERT_TRUE(reply.starts_with("[")) << reply;

    InstalledInventory inventory({.screen = rig.screen,
                                  .log = rig.log,
                                  .tempDir = rig.paths.tempDir,
                                  .lastListReply = [&] { return reply; },
                                  .lookup =
                                      [&](const std::vector<std::string>& names) {
                                          return rig.parts.catalogClient.lookupPackages(names);
                                      }});
    inventory.BuildInstalledList();

    // The box lists its system apps and the companion too.
    std::vector<std::string> names = RowNames(rig.screen);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"K歌TV", "Player", "星空直播"}));
    EXPECT_EQ(rig.screen.uninstallCount(), 3);
    for (const InstalledAppRow& row : rig.screen.appRows()) {
        EXPECT_TRUE(row.icon.starts_with(kPng)) << row.name;
        EXPECT_EQ(test::ReadFile(rig.paths.tempDir + row.packageName + ".png"), row.icon);
    }
    const auto lookups = rig.sim.hits("lookup");
    ASSERT_EQ(lookups.size(), 1u);
    std::string asked = "/apinew/soubaonew.php?packs=";
    for (const std::string& package : inventory.packageNames()) {
        asked += package + (package == inventory.packageNames().back() ? "" : ",");
    }
    EXPECT_EQ(lookups[0]["target"], asked);
    // Icons are asked for under their percent-encoded names.
    const auto http = boxsim.received(box.address, "http");
    EXPECT_TRUE(std::any_of(http.begin(), http.end(), [](const std::string& line) {
        return line.find("/icons/" + PercentEncodeAll("com.kge.tv") + ".png") != std::string::npos;
    })) << nlohmann::json(http).dump();

    EXPECT_EQ(rig.screen.upgradeCount(), 1);
    const JsonDocument& list = inventory.appListDocument();
    for (int i = 0; i < list.count("arr"); ++i) {
        const std::string element = "arr[" + std::to_string(i) + "]";
        const std::string mark = list.getText(element + ".downloadurl");
        if (list.getText(element + ".PackageName") == "com.kge.tv") {
            EXPECT_EQ(mark,
                      rig.sim.baseUrl(test::SimService::Download) + "/down/apk/com.kge.tv_444.apk");
        } else {
            EXPECT_EQ(mark, "") << list.getText(element + ".PackageName");
        }
    }

    rig.screen.clearAppRows();
    inventory.fillUpgradeList();
    const std::vector<InstalledAppRow> upgrades = rig.screen.appRows();
    ASSERT_EQ(upgrades.size(), 1u);
    EXPECT_EQ(upgrades[0].name, "K歌TV");
    EXPECT_EQ(upgrades[0].version, "4.4.4");
    EXPECT_EQ(upgrades[0].size, "33.3M");
    EXPECT_EQ(upgrades[0].action, "更新");
    EXPECT_TRUE(upgrades[0].icon.starts_with(kPng));

    // A cached icon larger than the refresh size is not asked for again.
    const int iconRequests = IconRequests(boxsim, box.address);
    inventory.BuildInstalledList();
    int expected = iconRequests;
    for (const InstalledAppRow& row : rig.screen.appRows()) {
        expected += IconFileSize(rig.paths.tempDir + row.packageName + ".png") <= 1.00;
    }
    EXPECT_EQ(IconRequests(boxsim, box.address), expected);
}

TEST(InstalledInventoryE2eTest, AnAdbListingTakesTitlesAndIconsFromTheDownloadServer) {
    test::CatalogRig rig;
    // A 6.0 box, played by a runner: boxsim has no dumpsys yet.
    const auto run = [](const std::vector<std::string>& argv, std::chrono::milliseconds) {
        ProcessResult result{.exitCode = 0};
        if (argv.back() == AdbInventory::kListCommand) {
            result.output =
                "package:/data/app/com.kge.tv-1/base.apk=com.kge.tv\r\n"
                "package:/data/app/com.example.mine-1/base.apk=com.example.mine\r\n";
            return std::optional(result);
        }
        for (const auto& [package, code] :
             {std::pair{"com.kge.tv", 400}, {"com.example.mine", 3}}) {
            result.output += "qvpc-package:" + std::string(package) +
                             "\r\nPackages:\r\n  Package [" + package +
                             "] (5e6f7a8b):\r\n    versionCode=" + std::to_string(code) +
                             " targetSdk=23\r\n    versionName=" + std::to_string(code) +
                             "\r\n-rw-r--r-- system   system    2097152 2017-01-01 08:00 "
                             "base.apk\r\n";
        }
        return std::optional(result);
    };
    AdbInventory adb({.loop = rig.screen,
                      .log = rig.log,
                      .lookup =
                          [&](const std::vector<std::string>& names) {
                              return rig.parts.catalogClient.lookupPackages(names);
                          },
                      .run = run});
    const std::optional<AdbInventory::Listing> listing = adb.ListUserApps("127.0.0.1");
    ASSERT_TRUE(listing);

    InstalledInventory inventory({.screen = rig.screen,
                                  .log = rig.log,
                                  .tempDir = rig.paths.tempDir,
                                  .lookup = [&](const std::vector<std::string>& names) {
                                      return rig.parts.catalogClient.lookupPackages(names);
                                  }});
    inventory.BuildInstalledList(listing->listReply, listing->lookupReply);
    const std::vector<InstalledAppRow> rows = rig.screen.appRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "com.example.mine") << "unknown to the server";
    EXPECT_EQ(rows[0].icon, "");
    EXPECT_EQ(rows[1].name, "K歌TV");
    EXPECT_EQ(rows[1].version, "400");
    EXPECT_EQ(rows[1].size, "2.00M");
    EXPECT_TRUE(rows[1].icon.starts_with(kPng)) << "the download server's icon";
    EXPECT_EQ(rig.hits("icon"), 1);
    EXPECT_EQ(rig.hits("lookup"), 1);
    EXPECT_EQ(rig.screen.upgradeCount(), 1);
}

}  // namespace
}  // namespace qvpc
