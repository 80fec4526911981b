// Installing APKs from the PC on a simulated box with the real adb client.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>

#include "adb/task_names.h"
#include "deploy/toolchain.h"
#include "support/core_rig.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using test::BoxAt;
using test::BoxFaults;

using namespace std::chrono_literals;

class InstallE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(m_apkDir);
        m_rig.start();
        ASSERT_TRUE(m_rig.connect(m_address));
    }

    std::string fixture(const std::string& fileName, int64_t versionCode = 1,
                        std::size_t paddingBytes = 0) {
        test::ApkSpec spec;
        spec.packageName = "com.example.tv";
        spec.versionCode = versionCode;
        spec.paddingBytes = paddingBytes;
        const std::string path = m_apkDir + "/" + fileName;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        boxsim::WriteApk(spec, path);
        return path;
    }

    std::string lastBoxMessage() {
        const auto boxes = m_rig.screen.boxes();
        return boxes.empty() ? "" : boxes.back().request.message;
    }

    // Installs as the local install page does and waits for the outcome.
    void install(const std::string& path) {
        m_rig.core.actions().installApk(path, {});
        ASSERT_TRUE(m_rig.waitForIdle());
    }

    std::string m_address = test::FreeLoopbackAddress();
    test::CoreRig m_rig{{BoxAt(m_address)}};
    std::string m_apkDir = m_rig.dir.path() + "/apks";
};

TEST_F(InstallE2eTest, AHostilePathInstallsExactlyThatFileAndRunsNothingElse) {
    const std::string path = fixture("my \"tv\" app $(touch pwned) `touch pwned2`;touch x.apk", 7);
    m_rig.boxsim->clearReceived(m_address);
    install(path);

    EXPECT_EQ(m_rig.screen.popupMode(), "提示");
    EXPECT_EQ(m_rig.screen.popupText(), "应用安装成功");
    EXPECT_TRUE(m_rig.screen.boxes().empty());
    std::optional<nlohmann::json> package = m_rig.boxsim->package(m_address, "com.example.tv");
    ASSERT_TRUE(package);
    EXPECT_EQ((*package)["version_code"], 7);
    // The box ran the package manager and the clean-up, nothing else.
    for (const std::string& line : m_rig.boxsim->received(m_address, "shell")) {
        EXPECT_TRUE(line.starts_with("pm 'install' '-r' ") || line.starts_with("rm ")) << line;
    }
    for (const std::string& dir : {m_rig.paths.dataDir, m_apkDir, std::string(".")}) {
        for (const char* planted : {"pwned", "pwned2", "x.apk"}) {
            EXPECT_FALSE(std::filesystem::exists(dir + "/" + planted)) << dir << "/" << planted;
        }
    }
}

TEST_F(InstallE2eTest, TheCarriedCompanionInstallsAsVersion3) {
    install(CompanionApkPath(m_rig.paths.dataDir));
    EXPECT_EQ(m_rig.screen.popupText(), "应用安装成功");
    std::optional<nlohmann::json> companion =
        m_rig.boxsim->package(m_address, "com.quillet.remoteassistant");
    ASSERT_TRUE(companion);
    EXPECT_EQ((*companion)["version_code"], 3);
    EXPECT_EQ((*companion)["label"], "应用安装服务");
    EXPECT_NE((*companion)["activities"].dump().find("StartActivity"), std::string::npos);
}

TEST_F(InstallE2eTest, EachFailureCodeShowsItsOwnDialog) {
    const std::string path = fixture("app.apk");
    const std::pair<const char*, const char*> cases[] = {
        {"INSTALL_FAILED_MEDIA_UNAVAILABLE", "SD卡不存在"},
        {"INSTALL_FAILED_INVALID_INSTALL_LOCATION", "无效的安装路径"},
        {"INSTALL_FAILED_OLDER_SDK", "安卓系统版本过旧"},
        {"INSTALL_FAILED_INVALID_APK", "无效的APK"},
        {"INSTALL_FAILED_INSUFFICIENT_STORAGE", "没有足够的存储空间"},
        {"INSTALL_FAILED_ALREADY_EXISTS", "应用已存在,请卸载后再安装"},
        {"INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES", "签名不一致,请卸载后再安装"},
        {"INSTALL_FAILED_UID_CHANGED", "签名冲突,请卸载后再安装"},
        {"INSTALL_FAILED_VERSION_DOWNGRADE", "已安装更高版本,请卸载后再安装"},
        {"INSTALL_FAILED_DEXOPT", "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接"},
    };
    std::size_t shown = 0;
    for (const auto& [code, text] : cases) {
        BoxFaults faults;
        faults.installFailure = code;
        m_rig.boxsim->setFaults(m_address, faults);
        install(path);
        const auto boxes = m_rig.screen.boxes();
        ASSERT_EQ(boxes.size(), ++shown) << code;
        EXPECT_EQ(boxes.back().request.title, "应用安装失败") << code;
        EXPECT_EQ(boxes.back().request.message, text) << code;
        EXPECT_EQ(m_rig.screen.popupMode(), "") << code;
    }
    EXPECT_FALSE(m_rig.boxsim->package(m_address, "com.example.tv"));
}

TEST_F(InstallE2eTest, AnInstallDuringAScreenshotAsksFirstAndAForcedStopLetsTheNextTaskRun) {
    const std::string path = fixture("app.apk");
    // A slow pull keeps the screenshot running.
    BoxFaults slow;
    slow.transferBytesPerSecond = 512;
    m_rig.boxsim->setFaults(m_address, slow);
    m_rig.core.actions().takeScreenshot();
    ASSERT_EQ(m_rig.core.engine().currentProgress(), "进度_截屏");
    ASSERT_TRUE(
        test::WaitFor([&] { return !m_rig.boxsim->received(m_address, "sync").empty(); }, 10s));

    m_rig.boxsim->clearReceived(m_address);
    m_rig.screen.answerNextBoxes({1});
    m_rig.core.actions().installApk(path, {});
    ASSERT_EQ(m_rig.screen.boxes().size(), 1u);
    EXPECT_EQ(m_rig.screen.boxes()[0].request.title, "任务冲突");
    EXPECT_EQ(m_rig.screen.boxes()[0].request.message, "有任务正在进行:进度_截屏是否要强制停止?");
    EXPECT_EQ(m_rig.core.engine().currentProgress(), "进度_截屏");
    std::this_thread::sleep_for(300ms);
    for (const std::string& line : m_rig.boxsim->received(m_address)) {
        EXPECT_EQ(line.find("app.apk"), std::string::npos) << line;
        EXPECT_EQ(line.find("install"), std::string::npos) << line;
    }

    // Confirming stops the screenshot (and its pull) at once ...
    m_rig.screen.answerNextBoxes({0});
    m_rig.core.actions().installApk(path, {});
    EXPECT_EQ(m_rig.core.engine().currentProgress(), "");
    // ... and the next task runs to its end.
    m_rig.boxsim->setFaults(m_address, {});
    install(path);
    EXPECT_EQ(m_rig.screen.popupText(), "应用安装成功");
    EXPECT_TRUE(m_rig.boxsim->package(m_address, "com.example.tv"));
}

TEST_F(InstallE2eTest, AFolderNamedSuccessNeverTurnsAFailureIntoASuccess) {
    BoxFaults olderSdk;
    olderSdk.installFailure = "INSTALL_FAILED_OLDER_SDK";
    m_rig.boxsim->setFaults(m_address, olderSdk);
    for (const char* where :
         {"Success/app.apk", "my success stories/app.apk", "x\nSuccess\n.apk"}) {
        install(fixture(where));
        EXPECT_EQ(lastBoxMessage(), "安卓系统版本过旧") << where;
        EXPECT_NE(m_rig.screen.popupText(), "应用安装成功") << where;
    }

    // The box drops in the middle of the push: no verdict at all.
    BoxFaults drop;
    drop.dropAfterBytes = 100'000;
    m_rig.boxsim->setFaults(m_address, drop);
    install(fixture("Success/big.apk", 1, 400'000));
    EXPECT_EQ(lastBoxMessage(), "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接");
    EXPECT_FALSE(m_rig.boxsim->package(m_address, "com.example.tv"));
}

TEST_F(InstallE2eTest, ThePercentageRisesWhileTheApkIsPushed) {
    // adb counts what it has handed to the ADB server; the sockets on the way
    // hold a few megabytes, so only a larger APK shows the rise.
    BoxFaults slow;
    slow.transferBytesPerSecond = 2'000'000;
    m_rig.boxsim->setFaults(m_address, slow);
    install(fixture("big.apk", 1, 8'000'000));
    EXPECT_EQ(m_rig.screen.popupText(), "应用安装成功");

    std::vector<int> shown;
    for (const std::string& text : m_rig.screen.percentsShown()) {
        shown.push_back(std::stoi(text));
    }
    ASSERT_GE(shown.size(), 3u) << "a live percentage, not one jump";
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GT(shown.front(), 0);
    EXPECT_LT(shown.front(), 100);
}

// The processes whose command line mentions text.
std::vector<int> ProcessesMentioning(const std::string& text) {
    std::vector<int> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::string commandLine = test::ReadFile(entry.path().string() + "/cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        if (commandLine.find(text) != std::string::npos) {
            found.push_back(std::stoi(entry.path().filename().string()));
        }
    }
    return found;
}

TEST_F(InstallE2eTest, AShellThatDiesMidInstallEndsTheTaskAndTakesItsAdbAlong) {
    BoxFaults slow;
    slow.transferBytesPerSecond = 200'000;
    m_rig.boxsim->setFaults(m_address, slow);
    const std::string path = fixture("doomed.apk", 1, 8'000'000);
    m_rig.core.actions().installApk(path, {});
    ASSERT_TRUE(test::WaitFor([&] { return !m_rig.screen.percentsShown().empty(); }, 10s));
    ASSERT_FALSE(ProcessesMentioning("doomed.apk").empty());

    ASSERT_EQ(::kill(m_rig.core.shell().shellPid(), SIGKILL), 0);
    ASSERT_TRUE(m_rig.waitForIdle(5s)) << "a dead shell ends its task at once";
    EXPECT_EQ(lastBoxMessage(), "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接");
    EXPECT_TRUE(test::WaitFor([&] { return ProcessesMentioning("doomed.apk").empty(); }, 5s))
        << "the orphaned adb install was ended too";

    // The next action starts a new shell.
    m_rig.boxsim->setFaults(m_address, {});
    install(fixture("app.apk"));
    EXPECT_EQ(m_rig.screen.popupText(), "应用安装成功");
}

TEST_F(InstallE2eTest, ABoxSwitchedOffMidInstallEndsAsALostConnection) {
    BoxFaults slow;
    slow.transferBytesPerSecond = 1'000'000;
    m_rig.boxsim->setFaults(m_address, slow);
    m_rig.core.actions().installApk(fixture("big.apk", 1, 8'000'000), {});
    ASSERT_TRUE(test::WaitFor([&] { return !m_rig.screen.percentsShown().empty(); }, 10s));

    // Off, without a word on any socket: nothing but the stall ends it.
    BoxFaults off = slow;
    off.silent = true;
    m_rig.boxsim->setFaults(m_address, off);
    ASSERT_TRUE(m_rig.waitForIdle(75s));
    EXPECT_EQ(lastBoxMessage(), "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接");

    // Switched on again, the box is connected anew and takes the next install.
    m_rig.boxsim->setFaults(m_address, {});
    ASSERT_TRUE(m_rig.connect(m_address));
    install(fixture("app.apk"));
    EXPECT_EQ(m_rig.screen.popupText(), "应用安装成功");
}

TEST_F(InstallE2eTest, ACorruptApkIsAnInvalidApk) {
    const std::string path = m_apkDir + "/broken.apk";
    test::WriteFile(path, "not a zip at all");
    install(path);
    EXPECT_EQ(lastBoxMessage(), "无效的APK");
}

}  // namespace
}  // namespace qvpc
