#include "companion/installed_inventory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "base/log.h"
#include "support/fake_screen.h"
#include "support/log_text.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

using nlohmann::ordered_json;

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8);

// One element of the companion's list, with its 12 members.
ordered_json App(const std::string& package, const std::string& label, int isUser = 1,
                 int versionCode = 10) {
    return {{"PackageName", package},
            {"AppName", label},
            {"VersionName", std::to_string(versionCode / 10) + ".0"},
            {"VerCode", versionCode},
            {"ApkSize", "1.25M"},
            {"iconPath", "http://192.168.1.20:8988/icons/" + package + ".png"},
            {"isUser", isUser},
            {"ApkPath", "/data/app/" + package + "-1.apk"},
            {"DataDir", "/data/data/" + package},
            {"FirstInstallTime", "2017-01-01 08:00:00"},
            {"LastUpdateTime", "2017-01-01 08:00:00"},
            {"LaunchActivity", "null"}};
}

// The lookup's entry of a package, as the download server writes it.
ordered_json Offer(const std::string& versionCode, const std::string& package) {
    return {{"versioncode", versionCode},
            {"downurl", "http://dl.example/down/apk/" + package + ".apk"},
            {"versionname", "9.9"},
            {"size", "33.3M"}};
}

std::string Key(std::string package) {
    std::replace(package.begin(), package.end(), '.', '_');
    return package;
}

struct InventoryRig {
    explicit InventoryRig(std::chrono::milliseconds iconBudget = InstalledInventory::kIconBudget)
        : budget(iconBudget) {}

    std::chrono::milliseconds budget;
    test::TempDir dir;
    Log log{dir.path() + "/log.txt"};
    test::FakeScreen screen;
    std::string reply;
    std::string lookupReply;
    std::vector<std::vector<std::string>> lookups;
    std::vector<std::string> iconUrls;
    std::vector<std::string> upgradeIconUrls;
    std::string iconBytes = kPng + std::string(2000, 'i');
    InstalledInventory inventory{{.screen = screen,
                                  .log = log,
                                  .tempDir = dir.path() + "/",
                                  .lastListReply = [this] { return reply; },
                                  .lookup =
                                      [this](const std::vector<std::string>& names) {
                                          lookups.push_back(names);
                                          return lookupReply;
                                      },
                                  .fetchIcon =
                                      [this](const std::string& url) {
                                          iconUrls.push_back(url);
                                          return iconBytes;
                                      },
                                  .fetchUpgradeIcon =
                                      [this](const std::string& url) {
                                          upgradeIconUrls.push_back(url);
                                          return iconBytes;
                                      },
                                  .iconBudget = budget}};

    void setList(const ordered_json& apps) { reply = apps.dump(); }
    // The lookup's reply, after the byte-order mark the server sends.
    void setOffers(const ordered_json& offers) { lookupReply = "\xEF\xBB\xBF" + offers.dump(); }

    std::vector<std::string> rowNames() const {
        std::vector<std::string> names;
        for (const InstalledAppRow& row : screen.appRows()) {
            names.push_back(row.name);
        }
        return names;
    }
    std::string mark(int index) const {
        return inventory.appListDocument().getText("arr[" + std::to_string(index) +
                                                   "].downloadurl");
    }
};

TEST(InstalledInventoryTest, ListsTheUserAppsWithoutSystemAppsAndTheCompanion) {
    InventoryRig rig;
    rig.setList(ordered_json::array(
        {App("com.example.tv", "电视"), App("com.android.settings", "设置", 0),
         App("com.quillet.remoteassistant", "应用安装服务"), App("com.example.player", "播放器"),
         App("com.example.game", "游戏")}));
    rig.inventory.BuildInstalledList();

    const std::vector<InstalledAppRow> rows = rig.screen.appRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rig.screen.uninstallCount(), 3);
    EXPECT_EQ(rows[0], (InstalledAppRow{.icon = rig.iconBytes,
                                        .name = "电视",
                                        .version = "1.0",
                                        .size = "1.25M",
                                        .action = "卸载",
                                        .packageName = "com.example.tv"}));
    EXPECT_EQ(rig.rowNames(), (std::vector<std::string>{"电视", "播放器", "游戏"}));
    const std::vector<std::string> listed = {"com.example.tv", "com.example.player",
                                             "com.example.game"};
    EXPECT_EQ(rig.inventory.packageNames(), listed);
    EXPECT_EQ(rig.lookups, std::vector<std::vector<std::string>>{listed});
    // Each icon came from the box and stays in the cache under its URL's name.
    EXPECT_EQ(rig.iconUrls.size(), 3u);
    EXPECT_EQ(test::ReadFile(rig.dir.path() + "/com.example.tv.png"), rig.iconBytes);
    EXPECT_EQ(rig.screen.upgradeCount(), 0);

    // The next list replaces the rows and asks for no icon it has.
    rig.setList(ordered_json::array({App("com.example.tv", "电视")}));
    rig.inventory.BuildInstalledList();
    EXPECT_EQ(rig.rowNames(), std::vector<std::string>{"电视"});
    EXPECT_EQ(rig.screen.uninstallCount(), 1);
    EXPECT_EQ(rig.iconUrls.size(), 3u);
}

TEST(InstalledInventoryTest, WhichElementsMakeARowAndUnderWhatName) {
    const auto with = [](ordered_json app, const std::string& member, ordered_json value) {
        app[member] = std::move(value);
        return app;
    };
    const ordered_json base = App("com.example.tv", "电视");
    ordered_json nine = base;
    nine.erase("LaunchActivity");
    nine.erase("DataDir");
    nine.erase("ApkPath");
    ordered_json ten = nine;
    ten["ApkPath"] = "/data/app/x.apk";
    const struct {
        const char* what;
        ordered_json app;
        std::optional<std::string> name;  // nullopt: no row
    } cases[] = {
        {"nine members", nine, std::nullopt},
        {"ten members", ten, "电视"},
        {"isUser the string \"1\"", with(base, "isUser", "1"), std::nullopt},
        {"isUser 0", with(base, "isUser", 0), std::nullopt},
        {"isUser true (-1)", with(base, "isUser", true), std::nullopt},
        {"AppName \"null\"", with(base, "AppName", "null"), "com.example.tv"},
        {"AppName \"null\" with trailing blanks", with(base, "AppName", "null  "),
         "com.example.tv"},
        {"AppName a JSON null (empty text)", with(base, "AppName", nullptr), ""},
        {"the companion's label", with(base, "AppName", "应用安装服务"), std::nullopt},
        {"the companion under another label",
         with(base, "PackageName", "com.quillet.remoteassistant"), std::nullopt},
        {"a package name that is none", with(base, "PackageName", "com.x;reboot"), std::nullopt},
        {"a package name with a line break", with(base, "PackageName", "com.x\ny"), std::nullopt},
        {"a package name as a number", with(base, "PackageName", 5), std::nullopt},
    };
    for (const auto& c : cases) {
        InventoryRig rig;
        rig.setList(ordered_json::array({c.app}));
        rig.inventory.BuildInstalledList();
        const std::vector<std::string> names = rig.rowNames();
        if (c.name) {
            EXPECT_EQ(names, std::vector<std::string>{*c.name}) << c.what;
        } else {
            EXPECT_TRUE(names.empty()) << c.what;
            EXPECT_TRUE(rig.lookups.empty()) << c.what << ": nothing to ask the server";
        }
        EXPECT_EQ(rig.screen.uninstallCount(), c.name ? 1 : 0) << c.what;
    }
    // What is no package name is noted, and never reaches a URL.
    InventoryRig rig;
    rig.setList(ordered_json::array({with(base, "PackageName", "com.x'$(reboot)")}));
    rig.inventory.BuildInstalledList();
    EXPECT_NE(test::LogText(rig.log).find("包名不合法,不列出: com.x'$(reboot)"), std::string::npos);
    EXPECT_TRUE(rig.iconUrls.empty());
}

TEST(InstalledInventoryTest, RepliesThatAreNoListGiveNoRows) {
    for (const std::string reply :
         {"", "server is running", "[", "{}", "[1, \"x\", null]", "null", "]}, {\"arr\": [1]"}) {
        InventoryRig rig;
        rig.reply = reply;
        rig.inventory.BuildInstalledList();
        EXPECT_TRUE(rig.screen.appRows().empty()) << reply;
        EXPECT_EQ(rig.screen.uninstallCount(), 0) << reply;
        EXPECT_EQ(rig.screen.upgradeCount(), 0) << reply;
    }
}

TEST(InstalledInventoryTest, AHigherVersionCodeOnTheServerMarksAnUpgrade) {
    const struct {
        const char* what;
        ordered_json offered;  // the entry's "versioncode"; null: no entry
        int installed;
        bool upgrade;
    } cases[] = {
        {"12 against 11", "12", 11, true},
        {"12 against 12", "12", 12, false},
        {"12 against 13", "12", 13, false},
        {"a number, which reads as no text", 12, 11, false},
        {"not a number", "new", 11, false},
        {"not in the reply", nullptr, 11, false},
        {"too large for any integer", "99999999999999999999999", 11, false},
    };
    for (const auto& c : cases) {
        InventoryRig rig;
        rig.setList(ordered_json::array({App("com.example.tv", "电视", 1, c.installed)}));
        ordered_json offers = {{"allnum", "1"}};
        if (!c.offered.is_null()) {
            offers["com_example_tv"] = Offer("0", "com.example.tv");
            offers["com_example_tv"]["versioncode"] = c.offered;
        }
        rig.setOffers(offers);
        rig.inventory.BuildInstalledList();
        EXPECT_EQ(rig.mark(0), c.upgrade ? "http://dl.example/down/apk/com.example.tv.apk" : "")
            << c.what;
        EXPECT_EQ(rig.screen.upgradeCount(), c.upgrade ? 1 : 0) << c.what;
    }
}

TEST(InstalledInventoryTest, UpgradesAreLookedForInEveryElementAndOnlyTheServerNamesADownload) {
    InventoryRig rig;
    ordered_json nine = App("com.nine.members", "九", 1, 10);
    nine.erase("LaunchActivity");
    nine.erase("DataDir");
    nine.erase("ApkPath");
    ordered_json boxMarked = App("com.box.marked", "盒子", 1, 10);
    boxMarked["downloadurl"] = "http://evil.example/x.apk";
    ordered_json unknownVersion = App("com.no.version", "无版本", 1, 10);
    unknownVersion.erase("VerCode");
    rig.setList(ordered_json::array({App("com.example.tv", "电视", 1, 10), nine, boxMarked,
                                     unknownVersion, App("com.no.address", "无地址", 1, 10)}));
    ordered_json offers = {{"allnum", "5"}};
    for (const char* package : {"com.example.tv", "com.nine.members", "com.no.version"}) {
        offers[Key(package)] = Offer("20", package);
    }
    offers["com_no_address"] = {{"versioncode", "20"}};
    rig.setOffers(offers);
    rig.inventory.BuildInstalledList();

    EXPECT_EQ(rig.rowNames(), (std::vector<std::string>{"电视", "盒子", "无版本", "无地址"}));
    EXPECT_EQ(rig.mark(0), "http://dl.example/down/apk/com.example.tv.apk");
    EXPECT_EQ(rig.mark(1), "http://dl.example/down/apk/com.nine.members.apk")
        << "not listed, still marked";
    EXPECT_EQ(rig.mark(2), "") << "a mark the box sent is no upgrade";
    EXPECT_EQ(rig.mark(3), "") << "an unknown installed version is not taken for an old one";
    EXPECT_EQ(rig.mark(4), "") << "without an address there is nothing to download";
    EXPECT_EQ(rig.screen.upgradeCount(), 2);

    // A lookup that fails marks nothing.
    rig.lookupReply = "";
    rig.inventory.BuildInstalledList();
    EXPECT_EQ(rig.mark(0), "");
    EXPECT_EQ(rig.screen.upgradeCount(), 0);
}

TEST(InstalledInventoryTest, TheUpgradeListShowsTheMarkedUserAppsWithTheServersVersion) {
    InventoryRig rig;
    rig.setList(ordered_json::array(
        {App("com.example.tv", "电视", 1, 10), App("com.android.system", "系统", 0, 10),
         App("com.example.player", "null", 1, 10), App("com.example.same", "同版", 1, 20)}));
    ordered_json offers = {{"allnum", "4"}};
    for (const char* package :
         {"com.example.tv", "com.android.system", "com.example.player", "com.example.same"}) {
        offers[Key(package)] = Offer("20", package);
    }
    offers["com_example_player"]["versionname"] = "2.0.1";
    rig.setOffers(offers);
    rig.inventory.BuildInstalledList();
    // The list asked only for its rows, so the system app is marked only by
    // what the fixed reply holds.
    EXPECT_EQ(rig.screen.upgradeCount(), 3);

    rig.screen.clearAppRows();
    rig.iconUrls.clear();
    std::filesystem::remove(rig.dir.path() + "/com.example.tv.png");
    rig.inventory.fillUpgradeList();
    const std::vector<InstalledAppRow> rows = rig.screen.appRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (InstalledAppRow{.icon = rig.iconBytes,
                               .name = "电视",
                               .version = "9.9",
                               .size = "33.3M",
                               .action = "更新",
                               .downloadUrl = "http://dl.example/down/apk/com.example.tv.apk",
                               .packageName = "com.example.tv"}));
    EXPECT_EQ(rows[1].name, "com.example.player");
    EXPECT_EQ(rows[1].version, "2.0.1");
    // Its icons come through the upgrade list's own fetch.
    EXPECT_TRUE(rig.iconUrls.empty());
    EXPECT_EQ(rig.upgradeIconUrls,
              std::vector<std::string>{"http://192.168.1.20:8988/icons/" +
                                       std::string("%63%6F%6D%2E%65%78%61%6D%70%6C%65%2E%74%76") +
                                       ".png"});
}

TEST(InstalledInventoryTest, IconsOfOneListAreFetchedForALimitedTimeOnly) {
    InventoryRig rig(std::chrono::milliseconds(0));
    test::WriteFile(rig.dir.path() + "/com.example.game.png", kPng + "small");
    rig.setList(
        ordered_json::array({App("com.example.tv", "电视"), App("com.example.game", "游戏")}));
    rig.inventory.BuildInstalledList();
    EXPECT_TRUE(rig.iconUrls.empty());
    ASSERT_EQ(rig.screen.appRows().size(), 2u);
    EXPECT_EQ(rig.screen.appRows()[0].icon, "");
    EXPECT_EQ(rig.screen.appRows()[1].icon, kPng + "small") << "the cache still serves";
    EXPECT_EQ(test::Occurrences(test::LogText(rig.log), "图标获取超时"), 1);
}

}  // namespace
}  // namespace qvpc
