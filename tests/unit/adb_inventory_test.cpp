// The adb inventory's command lines and what it makes of the box's answers,
// on a fake runner that plays an Android 4.4 box.
#include "companion/adb_inventory.h"

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "base/log.h"
#include "companion/installed_inventory.h"
#include "support/fake_screen.h"
#include "support/log_text.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

struct BoxApp {
    std::string path;
    std::optional<int> versionCode;  // nullopt: dumpsys prints nothing
    std::uint64_t size = 1310720;
};

// What a 4.4 box prints for dumpsys package and ls -l of one app.
std::string DetailsOf(const std::string& package, const BoxApp& app) {
    std::string out;
    if (app.versionCode) {
        out += "Packages:\r\n  Package [" + package + "] (41b7c2a8):\r\n    userId=10045\r\n";
        out += "    versionCode=" + std::to_string(*app.versionCode) + " targetSdk=19\r\n";
        out += "    versionName=" + std::to_string(*app.versionCode) + ".0\r\n";
        out += "    dataDir=/data/data/" + package + "\r\n";
        out += "    firstInstallTime=2017-01-01 08:00:00\r\n";
        out += "    lastUpdateTime=2017-02-01 09:30:00\r\n";
    }
    const std::string base = app.path.substr(app.path.rfind('/') + 1);
    out += "-rw-r--r-- system   system   " + std::to_string(app.size) + " 2017-01-01 08:00 " +
           base + "\r\n";
    return out;
}

// A runner that answers adb's argv as a box with these apps would, and
// records every run.
struct FakeBox {
    std::map<std::string, BoxApp> apps;
    std::string listOutput;  // when set, pm list answers this instead
    bool cannotStart = false;
    std::optional<ProcessResult> failure;
    std::string batchFailure;  // the batches' answer instead
    std::vector<std::vector<std::string>> runs;
    std::vector<std::chrono::milliseconds> limits;

    AdbInventory::Runner runner() {
        return [this](const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
            runs.push_back(argv);
            limits.push_back(limit);
            return answer(argv.back());
        };
    }

    std::optional<ProcessResult> answer(const std::string& command) {
        if (cannotStart) {
            return std::nullopt;
        }
        if (failure) {
            return failure;
        }
        ProcessResult result{.exitCode = 0};
        if (command == AdbInventory::kListCommand) {
            for (const auto& [package, app] : apps) {
                result.output += "package:" + app.path + "=" + package + "\r\n";
            }
            if (!listOutput.empty()) {
                result.output = listOutput;
            }
            return result;
        }
        if (!batchFailure.empty()) {
            result.output = batchFailure;
            return result;
        }
        static const std::regex kEcho("echo qvpc-package:([A-Za-z0-9_.]+)");
        for (std::sregex_iterator it(command.begin(), command.end(), kEcho), end; it != end; ++it) {
            const std::string package = (*it)[1];
            result.output += "qvpc-package:" + package + "\r\n";
            if (auto app = apps.find(package); app != apps.end()) {
                result.output += DetailsOf(package, app->second);
            }
        }
        return result;
    }
};

struct AdbInventoryRig {
    test::TempDir dir;
    Log log{dir.path() + "/log.txt"};
    test::FakeScreen screen;
    FakeBox box;
    std::string lookupReply;
    std::vector<std::vector<std::string>> lookups;
    AdbInventory inventory{{.loop = screen,
                            .log = log,
                            .lookup =
                                [this](const std::vector<std::string>& names) {
                                    lookups.push_back(names);
                                    return lookupReply;
                                },
                            .run = box.runner()}};
};

TEST(AdbInventoryTest, ListsTheUserAppsInTheCompanionsShapeWithTheServersTitles) {
    AdbInventoryRig rig;
    rig.box.apps = {
        {"com.example.tv", {"/data/app/com.example.tv-1.apk", 11}},
        {"com.example.player", {"/data/app/com.example.player-2.apk", 5, 5242880}},
        {"com.quillet.remoteassistant", {"/data/app/com.quillet.remoteassistant-1.apk", 3}},
    };
    rig.lookupReply =
        "\xEF\xBB\xBF{\"allnum\":\"1\",\"com_example_tv\":{\"versioncode\":\"12\","
        "\"downurl\":\"http://dl.example/tv.apk\",\"versionname\":\"1.2\",\"size\":\"9M\","
        "\"apptitle\":\"电视\",\"appico\":\"http://dl.example/down/icon/com.example.tv.png\"}}";

    const std::optional<AdbInventory::Listing> listing = rig.inventory.ListUserApps("192.168.1.20");
    ASSERT_TRUE(listing);
    ASSERT_EQ(rig.box.runs.size(), 2u) << "one list, one batch";
    EXPECT_EQ(rig.box.runs[0], (std::vector<std::string>{"adb", "-s", "192.168.1.20:5555", "shell",
                                                         "pm list packages -f -3"}));
    EXPECT_EQ(rig.box.runs[1].back(),
              "echo qvpc-package:com.example.player; dumpsys package com.example.player; "
              "ls -l \"/data/app/com.example.player-2.apk\"; "
              "echo qvpc-package:com.example.tv; dumpsys package com.example.tv; "
              "ls -l \"/data/app/com.example.tv-1.apk\"");
    for (const auto limit : rig.box.limits) {
        EXPECT_GT(limit.count(), 0);
        EXPECT_LE(limit, std::chrono::minutes(1));
    }
    EXPECT_EQ(rig.lookups,
              (std::vector<std::vector<std::string>>{{"com.example.player", "com.example.tv"}}));
    EXPECT_EQ(listing->lookupReply, rig.lookupReply);

    const nlohmann::json list = nlohmann::json::parse(listing->listReply);
    ASSERT_EQ(list.size(), 2u) << "the companion is left out";
    EXPECT_EQ(list[1],
              (nlohmann::json{{"PackageName", "com.example.tv"},
                              {"AppName", "电视"},
                              {"VersionName", "11.0"},
                              {"VerCode", 11},
                              {"ApkSize", "1.25M"},
                              {"iconPath", "http://dl.example/down/icon/com.example.tv.png"},
                              {"isUser", 1},
                              {"ApkPath", "/data/app/com.example.tv-1.apk"},
                              {"DataDir", "/data/data/com.example.tv"},
                              {"FirstInstallTime", "2017-01-01 08:00:00"},
                              {"LastUpdateTime", "2017-02-01 09:30:00"},
                              {"LaunchActivity", "null"}}));
    // Unknown to the server: its package name and no icon.
    EXPECT_EQ(list[0]["AppName"], "null");
    EXPECT_EQ(list[0]["iconPath"], "null");
    EXPECT_EQ(list[0]["ApkSize"], "5.00M");

    // The same rows, counts and marks as from the companion.
    InstalledInventory rows({.screen = rig.screen,
                             .log = rig.log,
                             .tempDir = rig.dir.path() + "/",
                             .fetchIcon = [](const std::string&) { return std::string(); }});
    rows.BuildInstalledList(listing->listReply, listing->lookupReply);
    ASSERT_EQ(rig.screen.appRows().size(), 2u);
    EXPECT_EQ(rig.screen.appRows()[0].name, "com.example.player");
    EXPECT_EQ(rig.screen.appRows()[1].name, "电视");
    EXPECT_EQ(rig.screen.appRows()[1].version, "11.0");
    EXPECT_EQ(rig.screen.uninstallCount(), 2);
    EXPECT_EQ(rig.screen.upgradeCount(), 1);
    EXPECT_EQ(rows.appListDocument().getText("arr[1].downloadurl"), "http://dl.example/tv.apk");
    EXPECT_EQ(rig.lookups.size(), 1u) << "the lookup is not asked twice";
}

TEST(AdbInventoryTest, HostileNamesAndPathsReachNoCommandLine) {
    AdbInventoryRig rig;
    rig.box.listOutput =
        "package:/data/app/x-1.apk=com.evil;reboot\r\n"
        "package:/data/app/y-1.apk=$(reboot).app\r\n"
        "package:/data/app/$(reboot)\"`x`\\.apk=com.odd.path\r\n"
        "package:data/app/relative.apk=com.relative.path\r\n"
        "package:/data/app/z\x01.apk=com.control.path\r\n"
        "package:null=com.no.path\r\n";
    const auto listing = rig.inventory.ListUserApps("192.168.1.20");
    ASSERT_TRUE(listing);
    ASSERT_EQ(rig.box.runs.size(), 2u);
    const std::string batch = rig.box.runs[1].back();
    EXPECT_EQ(batch.find("reboot;"), std::string::npos);
    EXPECT_EQ(batch.find("evil"), std::string::npos);
    EXPECT_EQ(batch.find("$(reboot).app"), std::string::npos);
    EXPECT_NE(batch.find("ls -l \"/data/app/\\$(reboot)\\\"\\`x\\`\\\\.apk\""), std::string::npos)
        << batch;
    EXPECT_EQ(batch.find("relative.apk"), std::string::npos) << "no ls of a relative path";
    EXPECT_EQ(batch.find("ls -l \"/data/app/z"), std::string::npos);
    EXPECT_EQ(batch.find("ls -l \"null\""), std::string::npos);

    const nlohmann::json list = nlohmann::json::parse(listing->listReply);
    std::vector<std::string> names;
    for (const auto& app : list) {
        names.push_back(app["PackageName"]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"com.control.path", "com.no.path", "com.odd.path",
                                               "com.relative.path"}));
    const std::string log = test::LogText(rig.log);
    EXPECT_NE(log.find("包名不合法,不列出: com.evil;reboot"), std::string::npos);
    EXPECT_NE(log.find("包名不合法,不列出: $(reboot).app"), std::string::npos);
}

TEST(AdbInventoryTest, ManyAppsGoInBatchesSmallEnoughForOldBoxes) {
    AdbInventoryRig rig;
    for (int i = 0; i < 150; ++i) {
        const std::string package = "com.example.application" + std::to_string(i);
        rig.box.apps[package] = {"/data/app/" + package + "-1/base.apk", i};
    }
    const auto listing = rig.inventory.ListUserApps("192.168.1.20");
    ASSERT_TRUE(listing);
    EXPECT_GT(rig.box.runs.size(), 3u);
    EXPECT_LT(rig.box.runs.size(), 20u);
    for (std::size_t i = 1; i < rig.box.runs.size(); ++i) {
        EXPECT_LE(rig.box.runs[i].back().size(), AdbInventory::kBatchBytes);
    }
    const nlohmann::json list = nlohmann::json::parse(listing->listReply);
    ASSERT_EQ(list.size(), 150u);
    for (const auto& app : list) {
        EXPECT_TRUE(app.contains("VerCode")) << app["PackageName"];
    }
}

TEST(AdbInventoryTest, AnAppWhoseVersionCannotBeReadIsListedButNeverMarked) {
    AdbInventoryRig rig;
    rig.box.apps = {{"com.example.tv", {"/data/app/com.example.tv-1.apk", std::nullopt}}};
    rig.lookupReply =
        "{\"allnum\":\"1\",\"com_example_tv\":{\"versioncode\":\"12\","
        "\"downurl\":\"http://dl.example/tv.apk\"}}";
    const auto listing = rig.inventory.ListUserApps("192.168.1.20");
    ASSERT_TRUE(listing);
    const nlohmann::json list = nlohmann::json::parse(listing->listReply);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].contains("VerCode"));
    EXPECT_EQ(list[0]["VersionName"], "");
    EXPECT_EQ(list[0]["ApkSize"], "1.25M");

    InstalledInventory rows(
        {.screen = rig.screen, .log = rig.log, .tempDir = rig.dir.path() + "/"});
    rows.BuildInstalledList(listing->listReply, listing->lookupReply);
    EXPECT_EQ(rig.screen.uninstallCount(), 1);
    EXPECT_EQ(rig.screen.upgradeCount(), 0);
}

TEST(AdbInventoryTest, AFailingAdbOrBoxGivesNoListingAndOneLogLine) {
    const struct {
        const char* what;
        bool cannotStart;
        std::optional<ProcessResult> failure;
        std::string listOutput;
        std::string batchFailure;
        std::string logged;
    } cases[] = {
        {"adb cannot start", true, std::nullopt, "", "", "adb无法运行"},
        {"the box goes silent", false, ProcessResult{.timedOut = true}, "", "", "adb列出应用超时"},
        {"the box is offline", false,
         ProcessResult{.exitCode = 1, .output = "error: device offline\n"}, "", "",
         "adb列出应用失败: error: device offline"},
        {"no package manager", false, std::nullopt,
         "Error: Could not access the Package Manager.  Is the system running?\r\n", "",
         "adb列出应用失败: Error: Could not access"},
        {"the box goes away during the details", false, std::nullopt, "", "error: closed\n",
         "adb列出应用失败: error: closed"},
    };
    for (const auto& c : cases) {
        AdbInventoryRig rig;
        rig.box.apps = {{"com.example.tv", {"/data/app/com.example.tv-1.apk", 11}}};
        rig.box.cannotStart = c.cannotStart;
        rig.box.failure = c.failure;
        rig.box.listOutput = c.listOutput;
        rig.box.batchFailure = c.batchFailure;
        EXPECT_FALSE(rig.inventory.ListUserApps("192.168.1.20")) << c.what;
        const std::string log = test::LogText(rig.log);
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.what << "\n" << log;
        EXPECT_EQ(test::Occurrences(log, "adb列出应用"), 1) << c.what;
        EXPECT_TRUE(rig.lookups.empty()) << c.what;
    }
    // No box, no run.
    AdbInventoryRig rig;
    EXPECT_FALSE(rig.inventory.ListUserApps(""));
    EXPECT_TRUE(rig.box.runs.empty());
}

TEST(AdbInventoryTest, ABoxWithoutUserAppsListsNothingAndAsksNobody) {
    AdbInventoryRig rig;
    const auto listing = rig.inventory.ListUserApps("192.168.1.20");
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->listReply, "[]");
    EXPECT_EQ(rig.box.runs.size(), 1u);
    EXPECT_TRUE(rig.lookups.empty());
}

}  // namespace
}  // namespace qvpc
