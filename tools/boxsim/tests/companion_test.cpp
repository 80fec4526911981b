// The companion app's service on 8988, brought up the way the program
// brings it up: install over adb, then am start.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "boxsim/apk/image.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/temp_dir.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using test::RunAdb;
using ::testing::HasSubstr;

constexpr const char* kStart =
    "shell am start -n com.quillet.remoteassistant/com.quillet.remoteassistant.StartActivity";

class CompanionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::BoxSpec box;
        box.address = m_address;
        box.companionNotReadyPolls = 2;
        box.packages.push_back({"com.example.player", 7, "7.1", "Player", "test", false, ""});
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{box});
        ASSERT_THAT(RunAdb("connect " + m_address).output, HasSubstr("connected to " + serial()));
    }
    std::string serial() const { return m_address + ":5555"; }
    std::string adbS(const std::string& args) {
        return RunAdb("-s " + serial() + " " + args).output;
    }
    std::optional<testing::HttpReply> get(const std::string& target) {
        return testing::HttpGet(m_address, 8988, target);
    }
    std::string installCompanion(int versionCode) {
        test::ApkSpec apk;
        apk.packageName = "com.quillet.remoteassistant";
        apk.versionCode = versionCode;
        apk.label = "应用安装服务";
        apk.activity = ".StartActivity";
        return adbS("install -r \"" + test::MakeFixtureApk(m_dir.path(), apk) + "\"");
    }

    test::AdbServer m_adb;
    test::TempDir m_dir;
    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_F(CompanionTest, AnswersOnlyAfterInstallAndStart) {
    // Not installed: the start fails as Android reports it, and 8988 is closed.
    const std::string missing = adbS(kStart);
    EXPECT_THAT(
        missing,
        HasSubstr("Starting: Intent { cmp=com.quillet.remoteassistant/.StartActivity }\r\n"));
    EXPECT_THAT(missing, HasSubstr("Error type 3\r\nError: Activity class "
                                   "{com.quillet.remoteassistant/com.quillet.remoteassistant."
                                   "StartActivity} does not exist.\r\n"));
    EXPECT_FALSE(get("/?a=getversion"));

    EXPECT_THAT(installCompanion(3), HasSubstr("Success\r\n"));
    EXPECT_FALSE(get("/?a=getversion")) << "installed but not started";
    EXPECT_EQ(adbS(kStart),
              "Starting: Intent { cmp=com.quillet.remoteassistant/.StartActivity }\r\n");

    auto version = get("/?a=getversion");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->status, 200);
    EXPECT_EQ(version->body, "3");

    // Not ready for the configured number of polls, then the list.
    EXPECT_THAT(get("/?a=getlist")->body, HasSubstr("server is running"));
    EXPECT_THAT(get("/?a=getlist")->body, HasSubstr("server is running"));
    const auto list = nlohmann::json::parse(get("/?a=getlist")->body);
    ASSERT_TRUE(list.is_array());
    std::map<std::string, nlohmann::json> byName;
    for (const auto& app : list) {
        EXPECT_GE(app.size(), 10u);
        for (const auto& [member, value] : app.items()) {
            if (member == "isUser" || member == "VerCode") {
                EXPECT_TRUE(value.is_number()) << member;
            } else {
                EXPECT_TRUE(value.is_string()) << member;
            }
        }
        byName[app["PackageName"]] = app;
    }
    ASSERT_TRUE(byName.count("com.example.player"));
    const auto& player = byName["com.example.player"];
    EXPECT_EQ(player["AppName"], "Player");
    EXPECT_EQ(player["VersionName"], "7.1");
    EXPECT_EQ(player["VerCode"], 7);
    EXPECT_EQ(player["isUser"], 1);
    EXPECT_EQ(byName["com.quillet.remoteassistant"]["AppName"], "应用安装服务");
    EXPECT_EQ(byName["com.android.settings"]["isUser"], 0);

    // The icon, also under the percent-encoded name the program asks for.
    const std::string iconPath = player["iconPath"];
    ASSERT_EQ(iconPath, "http://" + m_address + ":8988/icons/com.example.player.png");
    for (const std::string target :
         {"/icons/com.example.player.png",
          "/icons/%63%6F%6D%2E%65%78%61%6D%70%6C%65%2E%70%6C%61%79%65%72.png"}) {
        auto icon = get(target);
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon->contentType, "image/png");
        EXPECT_TRUE(DecodePng(icon->body)) << target;
    }
    EXPECT_EQ(get("/icons/com.example.none.png")->status, 404);

    // am kill takes the service down; a new start brings it back, not ready again.
    EXPECT_EQ(adbS("shell am kill com.quillet.remoteassistant"), "");
    EXPECT_FALSE(get("/?a=getversion"));
    adbS(kStart);
    EXPECT_THAT(get("/?a=getlist")->body, HasSubstr("server is running"));
}

TEST_F(CompanionTest, ReinstallRulesApplyToTheCompanion) {
    EXPECT_THAT(installCompanion(3), HasSubstr("Success\r\n"));
    adbS(kStart);
    EXPECT_EQ(get("/?a=getversion")->body, "3");
    // An older companion is refused; a reinstall of a newer one stops the service.
    EXPECT_THAT(installCompanion(2), HasSubstr("Failure [INSTALL_FAILED_VERSION_DOWNGRADE]\r\n"));
    EXPECT_EQ(get("/?a=getversion")->body, "3");
    EXPECT_THAT(installCompanion(4), HasSubstr("Success\r\n"));
    EXPECT_FALSE(get("/?a=getversion"));
    adbS(kStart);
    EXPECT_EQ(get("/?a=getversion")->body, "4");
    EXPECT_EQ(adbS("shell pm uninstall com.quillet.remoteassistant"), "Success\r\n");
    EXPECT_FALSE(get("/?a=getversion"));
}

TEST(CompanionPreinstalledTest, ConfiguredVersionRunsFromTheStart) {
    test::BoxSpec box;
    box.address = test::FreeLoopbackAddress();
    box.companionVersion = 2;
    box.companionRunning = true;
    box.companionNotReadyPolls = 0;
    test::BoxsimProcess boxsim({box});
    EXPECT_EQ(testing::HttpGet(box.address, 8988, "/?a=getversion")->body, "2");
    EXPECT_TRUE(
        nlohmann::json::parse(testing::HttpGet(box.address, 8988, "/?a=getlist")->body).is_array());
    EXPECT_THAT(boxsim.received(box.address, "http"),
                ::testing::ElementsAre("GET /?a=getversion", "GET /?a=getlist"));

    // A slow companion: nothing within a short wait, the reply after the delay.
    test::BoxFaults slow;
    slow.companionDelayMs = 1000;
    boxsim.setFaults(box.address, slow);
    const std::string request = "GET /?a=getversion HTTP/1.1\r\n\r\n";
    EXPECT_EQ(testing::TcpExchange(box.address, 8988, request, std::chrono::milliseconds(200)), "");
    EXPECT_THAT(
        testing::TcpExchange(box.address, 8988, request, std::chrono::seconds(5)).value_or(""),
        HasSubstr("\r\n\r\n2"));
}

}  // namespace
}  // namespace qvpc::boxsim
