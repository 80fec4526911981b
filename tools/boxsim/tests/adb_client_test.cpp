// The real adb client (Debian's 29.0.6) drives boxsim as it would drive an
// old Android TV box.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "boxsim/apk/image.h"
#include "boxsim/box/tv_screen.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using test::BoxSpec;
using test::RunAdb;
using ::testing::HasSubstr;
using ::testing::Not;

class AdbClientTest : public ::testing::Test {
  protected:
    BoxSpec spec(const std::string& model = "TESTBOX 3") {
        BoxSpec s;
        s.address = m_address;
        s.model = model;
        s.screenWidth = 960;
        s.screenHeight = 540;
        return s;
    }
    void startBox(const BoxSpec& s) {
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{s});
    }
    std::string serial() const { return m_address + ":5555"; }
    std::string adbS(const std::string& args) {
        return RunAdb("-s " + serial() + " " + args).output;
    }
    void connect() {
        ASSERT_THAT(RunAdb("connect " + m_address).output, HasSubstr("connected to " + serial()));
    }

    test::AdbServer m_adb;
    test::TempDir m_dir;
    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_F(AdbClientTest, ConnectsListsAndRunsShellCommandsLikeAnOldBox) {
    startBox(spec());
    const std::string first = RunAdb("connect " + m_address).output;
    EXPECT_THAT(first, HasSubstr("connected to " + serial()));
    EXPECT_THAT(first, Not(HasSubstr("already")));
    // A repeated connect opens a second TCP connection that boxsim must bear.
    EXPECT_THAT(RunAdb("connect " + m_address).output,
                HasSubstr("already connected to " + serial()));
    EXPECT_THAT(RunAdb("devices").output, HasSubstr(serial() + "\tdevice\n"));

    // Legacy shell in a pseudo terminal: CR LF line ends.
    EXPECT_THAT(adbS("shell cat /system/build.prop"),
                HasSubstr("\nro.product.model=TESTBOX 3\r\n"));
    EXPECT_EQ(adbS("shell getprop ro.product.brand"), "Xiaomi\r\n");
    EXPECT_EQ(adbS("shell foo"), "/system/bin/sh: foo: not found\r\n");
    EXPECT_EQ(adbS("shell \"echo 'a  b' \\\"c\\\"\""), "a  b c\r\n");

    // The interactive shell: prompt, echo, left with exit.
    const std::string interactive =
        test::RunCommand("printf 'getprop ro.product.model\\nexit\\n' | adb -s " + serial() +
                         " shell")
            .output;
    EXPECT_THAT(interactive, HasSubstr("shell@android:/ $ getprop ro.product.model\r\nTESTBOX 3\r\n"
                                       "shell@android:/ $ exit\r\n"));
    EXPECT_THAT(m_boxsim->received(m_address, "adb"),
                ::testing::Contains("shell:cat /system/build.prop"));
}

TEST_F(AdbClientTest, PushInstallFollowsAndroidsRules) {
    startBox(spec());
    connect();
    test::ApkSpec apk;
    apk.packageName = "com.example.tv";
    apk.versionCode = 2;
    apk.label = "Example TV";
    const std::string v2 = test::MakeFixtureApk(m_dir.path(), apk);

    const std::string installed = adbS("install -r \"" + v2 + "\"");
    EXPECT_THAT(installed, HasSubstr("Performing Push Install\n"));
    EXPECT_THAT(installed, HasSubstr("bytes in"));
    EXPECT_THAT(installed, HasSubstr("\tpkg: /data/local/tmp/com.example.tv-2.apk\r\nSuccess\r\n"));
    EXPECT_THAT(adbS("shell pm list packages -3"), HasSubstr("package:com.example.tv\r\n"));
    auto package = m_boxsim->package(m_address, "com.example.tv");
    ASSERT_TRUE(package);
    EXPECT_EQ((*package)["version_code"], 2);
    EXPECT_EQ((*package)["label"], "Example TV");
    // adb's own sequence: push, pm install with quoted words, rm of the pushed file.
    const auto shell = m_boxsim->received(m_address, "shell");
    EXPECT_THAT(shell,
                ::testing::Contains("pm 'install' '-r' '/data/local/tmp/com.example.tv-2.apk'"));
    EXPECT_THAT(shell, ::testing::Contains("rm '/data/local/tmp/com.example.tv-2.apk' </dev/null"));
    EXPECT_FALSE(m_boxsim->fileExists(m_address, "/data/local/tmp/com.example.tv-2.apk"));

    apk.versionCode = 1;
    const std::string v1 = test::MakeFixtureApk(m_dir.path(), apk);
    apk.versionCode = 3;
    apk.certName = "other";
    const std::string otherCert = test::MakeFixtureApk(m_dir.path(), apk, "other.apk");
    const std::string notApk = m_dir.path() + "/broken.apk";
    test::WriteFile(notApk, "this is no zip archive");
    struct Case {
        std::string path;
        std::string failure;
    };
    for (const Case& c : {Case{v1, "INSTALL_FAILED_VERSION_DOWNGRADE"},
                          Case{otherCert, "INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES"},
                          Case{notApk, "INSTALL_FAILED_INVALID_APK"}}) {
        EXPECT_THAT(adbS("install -r \"" + c.path + "\""),
                    HasSubstr("\r\nFailure [" + c.failure + "]\r\n"))
            << c.path;
    }
    EXPECT_EQ((*m_boxsim->package(m_address, "com.example.tv"))["version_code"], 2);

    EXPECT_EQ(adbS("shell pm uninstall com.example.tv"), "Success\r\n");
    EXPECT_EQ(adbS("shell pm uninstall com.example.tv"), "Failure\r\n");
    EXPECT_FALSE(m_boxsim->package(m_address, "com.example.tv"));
}

TEST_F(AdbClientTest, InstallFaultsChangeWhileRunning) {
    startBox(spec());
    connect();
    test::ApkSpec apk;
    apk.packageName = "com.example.big";
    apk.paddingBytes = 300 * 1024;
    const std::string path = test::MakeFixtureApk(m_dir.path(), apk);

    test::BoxFaults faults;
    faults.installFailure = "INSTALL_FAILED_INSUFFICIENT_STORAGE";
    m_boxsim->setFaults(m_address, faults);
    EXPECT_THAT(adbS("install -r \"" + path + "\""),
                HasSubstr("Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\r\n"));

    // A slow box: adb's own report shows the transfer took at least the
    // configured rate's time (300 KiB at 600 KiB/s).
    faults = {};
    faults.transferBytesPerSecond = 600 * 1024;
    m_boxsim->setFaults(m_address, faults);
    const std::string slow = adbS("install -r \"" + path + "\"");
    EXPECT_THAT(slow, HasSubstr("Success\r\n"));
    const size_t in = slow.find(" bytes in ");
    ASSERT_NE(in, std::string::npos) << slow;
    EXPECT_GE(std::stod(slow.substr(in + 10)), 0.45) << slow;
    adbS("shell pm uninstall com.example.big");

    // Cut mid-transfer: no Success, and the box serves the next connection.
    faults = {};
    faults.dropAfterBytes = 100 * 1024;
    m_boxsim->setFaults(m_address, faults);
    const std::string dropped = adbS("install -r \"" + path + "\"");
    EXPECT_THAT(dropped, Not(HasSubstr("Success")));
    EXPECT_FALSE(m_boxsim->package(m_address, "com.example.big"));

    m_boxsim->setFaults(m_address, {});
    RunAdb("disconnect " + serial());
    connect();
    EXPECT_THAT(adbS("install -r \"" + path + "\""), HasSubstr("Success\r\n"));
}

// adb exec-out opens exec:, which came with Android 5.0: adbd of 4.x refuses
// it like any service it does not know.
TEST_F(AdbClientTest, ExecServiceExistsFromAndroid5On) {
    BoxSpec lollipop = spec();
    lollipop.address = test::FreeLoopbackAddress();
    lollipop.sdk = 22;
    lollipop.release = "5.1.1";
    m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{spec(), lollipop});
    connect();
    ASSERT_THAT(RunAdb("connect " + lollipop.address).output, HasSubstr("connected to"));

    const auto refused = RunAdb("-s " + serial() + " exec-out echo hi");
    EXPECT_EQ(refused.output, "error: closed\n");
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_EQ(RunAdb("-s " + lollipop.address + ":5555 exec-out echo hi").output, "hi\n");
    // The refusal ends the stream only; the box goes on serving.
    EXPECT_EQ(adbS("shell echo alive"), "alive\r\n");
}

TEST_F(AdbClientTest, ScreencapThenPullGivesTheScreenAsPng) {
    startBox(spec());
    connect();
    const std::string local = m_dir.path() + "/screenshot.png";
    // The program sends both without -s: the only attached box is meant.
    EXPECT_EQ(RunAdb("shell /system/bin/screencap -p /sdcard/screenshot.png").output, "");
    EXPECT_THAT(RunAdb("pull /sdcard/screenshot.png \"" + local + "\"").output,
                HasSubstr("1 file pulled"));
    auto png = DecodePng(test::ReadFile(local));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width(), 960);
    EXPECT_EQ(png->height(), 540);

    test::BoxFaults faults;
    faults.screencapFails = true;
    m_boxsim->setFaults(m_address, faults);
    EXPECT_THAT(RunAdb("shell screencap -p /sdcard/second.png").output,
                HasSubstr("Error opening file: /sdcard/second.png"));
    EXPECT_THAT(RunAdb("pull /sdcard/second.png \"" + local + "\"").output,
                HasSubstr("remote object '/sdcard/second.png' does not exist"));
}

// A box without screencap leaves the picture of an earlier capture in place:
// a pull after the failed capture gets that old picture.
TEST_F(AdbClientTest, AFailedCaptureLeavesTheOldScreenshotToPull) {
    BoxSpec s = spec();
    s.faults.screencapMissing = true;
    s.files.push_back({"/sdcard/screenshot.png", "", true});
    startBox(s);
    connect();
    EXPECT_EQ(adbS("shell /system/bin/screencap -p /sdcard/screenshot.png"),
              "/system/bin/sh: /system/bin/screencap: not found\r\n");
    EXPECT_EQ(adbS("shell screencap -p /sdcard/screenshot.png"),
              "/system/bin/sh: screencap: not found\r\n");
    const std::string local = m_dir.path() + "/screenshot.png";
    EXPECT_THAT(adbS("pull /sdcard/screenshot.png \"" + local + "\""), HasSubstr("1 file pulled"));
    EXPECT_EQ(test::ReadFile(local), DrawOldScreenshot(960, 540));
}

TEST_F(AdbClientTest, CommandPortStartsTheAdbDaemon) {
    BoxSpec s = spec();
    s.adbListening = false;
    s.commandReply = "adbd started";
    startBox(s);
    EXPECT_THAT(RunAdb("connect " + m_address).output,
                HasSubstr("failed to connect to '" + serial() + "': Connection refused"));
    auto reply = testing::TcpExchange(m_address, 8090, "start adbd", std::chrono::seconds(5), 12);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, "adbd started");
    EXPECT_THAT(m_boxsim->received(m_address, "command"), ::testing::ElementsAre("start adbd"));
    connect();
}

TEST_F(AdbClientTest, FaultyBoxesGiveAdbsTexts) {
    struct Case {
        const char* name;
        test::BoxFaults faults;
        std::string text;
    };
    test::BoxFaults refuse;
    refuse.refuse = true;
    test::BoxFaults unauthorized;
    unauthorized.unauthorized = true;
    BoxSpec s = spec();
    startBox(s);
    for (const Case& c :
         {Case{"refuse", refuse, "failed to connect to '" + serial() + "': Connection refused"},
          Case{"unauthorized", unauthorized, "failed to authenticate to " + serial()}}) {
        m_boxsim->setFaults(m_address, c.faults);
        EXPECT_THAT(RunAdb("connect " + m_address).output, HasSubstr(c.text)) << c.name;
        RunAdb("disconnect " + serial());
    }
}

// As on a real box, tapping "Allow" lets in the connection that waits for
// it: adb lists the box as a device without a reconnect.
TEST_F(AdbClientTest, AllowingTheKeyOnTheTvBringsTheBoxOnline) {
    BoxSpec s = spec();
    s.faults.unauthorized = true;
    startBox(s);
    EXPECT_THAT(RunAdb("connect " + m_address).output,
                HasSubstr("failed to authenticate to " + serial()));
    EXPECT_THAT(RunAdb("devices").output, HasSubstr(serial() + "\tunauthorized\n"));

    m_boxsim->authorize(m_address);
    EXPECT_TRUE(test::WaitFor([&] {
        return RunAdb("devices").output.find(serial() + "\tdevice\n") != std::string::npos;
    }));
    EXPECT_EQ(adbS("shell echo allowed"), "allowed\r\n");
    EXPECT_EQ(m_boxsim->state(m_address)["faults"]["unauthorized"], false);

    // The key stays allowed: a new connection goes online at once.
    EXPECT_THAT(RunAdb("disconnect " + serial()).output, HasSubstr("disconnected"));
    const std::string again = RunAdb("connect " + m_address).output;
    EXPECT_THAT(again, HasSubstr("connected to " + serial()));
    EXPECT_THAT(again, Not(HasSubstr("already")));
    EXPECT_THAT(RunAdb("devices").output, HasSubstr(serial() + "\tdevice\n"));
}

TEST_F(AdbClientTest, OfflineBoxTimesOutTheHandshake) {
    BoxSpec s = spec();
    s.faults.offline = true;
    startBox(s);
    const auto result = RunAdb("connect " + m_address, std::chrono::seconds(30));
    EXPECT_THAT(result.output, HasSubstr("failed to connect to " + serial() + "\n"));
    EXPECT_THAT(result.output, Not(HasSubstr("'")));
}

}  // namespace
}  // namespace qvpc::boxsim
