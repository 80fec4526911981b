// Setting the companion app up on simulated boxes with the real adb client.
#include <gtest/gtest.h>

#include <thread>

#include "adb/task_shell.h"
#include "base/gbk.h"
#include "companion/app_list_loader.h"
#include "companion/companion_bootstrap.h"
#include "companion/companion_query.h"
#include "deploy/carried_images.h"
#include "deploy/toolchain.h"
#include "support/core_rig.h"
#include "support/loopback.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using test::BoxAt;

// The box's records of category 接口进度, oldest first.
std::vector<std::string> TaskRecords(const std::string& logPath) {
    const std::string log = GbkToUtf8(test::ReadFile(logPath));
    const std::string mark = "[接口进度] ";
    std::vector<std::string> records;
    for (std::size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at)) {
        at += mark.size();
        const std::size_t end = log.find("\r\n" + std::string(48, '-'), at);
        records.insert(records.begin(), log.substr(at, end - at));
    }
    return records;
}

// One connected box and what the companion's set-up needs.
struct CompanionRig {
    explicit CompanionRig(test::BoxSpec box) : address(box.address), rig({box}) {
        rig.start();
        connected = rig.connect(address);
    }

    CompanionBootstrap::Needs needs() {
        const std::string apk = rig.paths.dataDir + "/VizorerOVI.apk";
        return {.shell = rig.core.shell(),
                .screen = rig.screen,
                .log = rig.log,
                .state = rig.core.state(),
                .apkPath = apk,
                .writeApk = [apk] { return WriteImage(apk, carried_images::CompanionApk()); },
                .query = query()};
    }

    std::function<std::string(int, int)> query() {
        return [address = address](int action, int timeout) {
            return CompanionQuery(address, action, timeout);
        };
    }

    std::string companionVersionOnTheBox() {
        auto package = rig.boxsim->package(address, "com.quillet.remoteassistant");
        return package ? std::to_string((*package)["version_code"].get<int>()) : "none";
    }

    std::vector<std::string> shellLinesOnTheBox() { return rig.boxsim->received(address, "shell"); }

    std::string address;
    test::CoreRig rig;
    bool connected = false;
};

test::BoxSpec WithCompanion(int version, bool running) {
    test::BoxSpec box = BoxAt(test::FreeLoopbackAddress());
    box.companionVersion = version;
    box.companionRunning = running;
    return box;
}

TEST(CompanionE2eTest, ABoxWithoutTheCompanionGetsItInstalledAndStarted) {
    CompanionRig box(BoxAt(test::FreeLoopbackAddress()));
    ASSERT_TRUE(box.connected);
    CompanionBootstrap bootstrap(box.needs());
    EXPECT_EQ(bootstrap.BootstrapCompanion(), "3");
    EXPECT_EQ(box.companionVersionOnTheBox(), "3");
    std::vector<std::string> steps;
    for (const std::string& record : TaskRecords(box.rig.log.path())) {
        if (record.starts_with("step ")) {
            steps.push_back(record);
        }
    }
    const std::vector<std::string> expected = {
        "step 1| kill com.quillet.remoteassistant",
        "step 1|start com.quillet.remoteassistant",
        "step 1|",
        "step 2|does not exist",
        "step 2|d写到文件",
        "step 2|kill com.quillet.remoteassistant",
        "step 2|",
        "step 2|install com.quillet.remoteassistant",
        "step 2|",
        "step 2|start com.quillet.remoteassistant",
        "step 2|再去一次vertion,",
        "step 2|初始化成功",
    };
    // A record ending in "|" is followed by the command's output.
    ASSERT_EQ(steps.size(), expected.size()) << ::testing::PrintToString(steps);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (expected[i].ends_with('|')) {
            EXPECT_TRUE(steps[i].starts_with(expected[i])) << steps[i];
        } else {
            EXPECT_EQ(steps[i], expected[i]);
        }
    }
}

TEST(CompanionE2eTest, AnOldCompanionIsReinstalledAndARunningCurrentOneLeftAlone) {
    CompanionRig old(WithCompanion(2, true));
    ASSERT_TRUE(old.connected);
    CompanionBootstrap update(old.needs());
    EXPECT_EQ(update.BootstrapCompanion(), "3");
    EXPECT_EQ(old.companionVersionOnTheBox(), "3");
    const std::vector<std::string> records = TaskRecords(old.rig.log.path());
    EXPECT_NE(std::find(records.begin(), records.end(), "插件需要更新"), records.end());

    CompanionRig current(WithCompanion(3, true));
    ASSERT_TRUE(current.connected);
    current.rig.boxsim->clearReceived(current.address);
    CompanionBootstrap none(current.needs());
    EXPECT_EQ(none.BootstrapCompanion(), "3");
    EXPECT_TRUE(current.shellLinesOnTheBox().empty()) << "no adb command for a current companion";
}

TEST(CompanionE2eTest, ANewerCompanionOnTheBoxIsUninstalledBeforeOursGoesOn) {
    // Version 5 answers "5": the box refuses ours as a downgrade.
    CompanionRig newer(WithCompanion(5, true));
    ASSERT_TRUE(newer.connected);
    CompanionBootstrap update(newer.needs());
    EXPECT_EQ(update.BootstrapCompanion(), "3");
    EXPECT_EQ(newer.companionVersionOnTheBox(), "3");
    const std::vector<std::string> records = TaskRecords(newer.rig.log.path());
    const auto downgrade = std::find_if(records.begin(), records.end(), [](const auto& record) {
        return record.starts_with("step 2|vad安装出错,已安装高版本vad|");
    });
    ASSERT_NE(downgrade, records.end()) << ::testing::PrintToString(records);
    EXPECT_NE(std::find(downgrade, records.end(), "step 2|uninstall com.quillet.remoteassistant"),
              records.end());
}

TEST(CompanionE2eTest, TheCloseButtonEndsTheSetUpInTheMiddleOfAnInstall) {
    CompanionRig box(BoxAt(test::FreeLoopbackAddress()));
    ASSERT_TRUE(box.connected);
    test::BoxFaults slow;
    slow.transferBytesPerSecond = 1000;
    box.rig.boxsim->setFaults(box.address, slow);
    CompanionBootstrap bootstrap(box.needs());
    std::thread user([&] {
        test::WaitFor(
            [&] { return box.rig.screen.popupText() == "初始化中（部分电视请确认安装控件）"; },
            std::chrono::seconds(20));
        bootstrap.abort();
    });
    EXPECT_EQ(bootstrap.BootstrapCompanion(), "");
    user.join();
    const std::vector<std::string> records = TaskRecords(box.rig.log.path());
    EXPECT_NE(std::find(records.begin(), records.end(), "手动跳出"), records.end());
    EXPECT_EQ(box.companionVersionOnTheBox(), "none");
}

TEST(CompanionE2eTest, AStandInThatMayNotBeInstalledIsNeverPutOnTheBox) {
    CompanionRig box(BoxAt(test::FreeLoopbackAddress()));
    ASSERT_TRUE(box.connected);
    box.rig.boxsim->clearReceived(box.address);
    CompanionBootstrap::Needs needs = box.needs();
    needs.mayInstall = false;
    CompanionBootstrap bootstrap(needs);
    EXPECT_EQ(bootstrap.BootstrapCompanion(), "");
    EXPECT_TRUE(box.shellLinesOnTheBox().empty());
    EXPECT_EQ(box.companionVersionOnTheBox(), "none");
}

TEST(CompanionE2eTest, TheListIsAskedForUntilTheCompanionHasOne) {
    test::BoxSpec spec = WithCompanion(3, true);
    spec.companionNotReadyPolls = 2;
    CompanionRig box(spec);
    ASSERT_TRUE(box.connected);
    CompanionBootstrap bootstrap(box.needs());
    int built = 0;
    AppListLoader loader({.shell = box.rig.core.shell(),
                          .screen = box.rig.screen,
                          .log = box.rig.log,
                          .state = box.rig.core.state(),
                          .engine = box.rig.core.engine(),
                          .bootstrap = bootstrap,
                          .query = box.query(),
                          .startLanScan = {},
                          .buildInstalledList = [&] { ++built; }});
    loader.LoadInstalledApps();
    EXPECT_EQ(built, 1);
    EXPECT_TRUE(loader.lastListReply().starts_with("[")) << loader.lastListReply();
    EXPECT_EQ(box.rig.screen.currentPage(), PageId::AppManagement);
    EXPECT_EQ(box.rig.screen.popupMode(), "");
}

}  // namespace
}  // namespace qvpc
