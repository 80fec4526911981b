#include "adb/adb_commands.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

namespace cmd = adb_commands;

TEST(AdbCommandsTest, OrdinaryValuesGiveThePlainCommandLines) {
    const std::string ip = "192.168.1.20";
    EXPECT_EQ(cmd::StartServer(), "adb start-server");
    EXPECT_EQ(cmd::Devices(), "adb devices");
    EXPECT_EQ(cmd::Connect(ip), "adb connect 192.168.1.20");
    EXPECT_EQ(cmd::Disconnect(ip), "adb disconnect 192.168.1.20");
    EXPECT_EQ(cmd::ReadBuildProp(ip), "adb -s 192.168.1.20:5555 shell cat /system/build.prop");
    EXPECT_EQ(cmd::Install(ip, "/home/u/Downloads/my app.apk"),
              "adb -s 192.168.1.20:5555 install -r \"/home/u/Downloads/my app.apk\"");
    EXPECT_EQ(cmd::Uninstall(ip, "com.example.tv"),
              "adb -s 192.168.1.20:5555 shell pm uninstall com.example.tv");
    EXPECT_EQ(cmd::KillApp(ip, "com.quillet.remoteassistant"),
              "adb -s 192.168.1.20:5555 shell am kill com.quillet.remoteassistant");
    EXPECT_EQ(cmd::StartActivity(ip, "com.quillet.remoteassistant", ".StartActivity"),
              "adb -s 192.168.1.20:5555 shell am start -n "
              "com.quillet.remoteassistant/.StartActivity");
    EXPECT_EQ(cmd::Screencap(), "adb shell /system/bin/screencap -p /sdcard/screenshot.png");
    EXPECT_EQ(cmd::PullScreenshot("/home/u/Documents/RiVod/screenshot.png"),
              "adb pull /sdcard/screenshot.png \"/home/u/Documents/RiVod/screenshot.png\"");
}

TEST(AdbCommandsTest, HostileValuesAreQuotedOrRefused) {
    EXPECT_EQ(cmd::Connect("1.2.3.4;reboot"), "adb connect '1.2.3.4;reboot'");
    EXPECT_EQ(cmd::ReadBuildProp("1.2.3.4 $(id)"),
              "adb -s '1.2.3.4 $(id):5555' shell cat /system/build.prop");
    EXPECT_FALSE(cmd::Uninstall("1.2.3.4", "com.x;reboot"));
    EXPECT_FALSE(cmd::KillApp("1.2.3.4", "$(id).x"));
    EXPECT_FALSE(cmd::StartActivity("1.2.3.4", "com.x", ".Main;reboot"));
}

TEST(AdbCommandsTest, ABoxAddressLosesTheAdbPortAndRefusesAnyOther) {
    EXPECT_EQ(cmd::BoxAddress("192.168.1.5"), "192.168.1.5");
    EXPECT_EQ(cmd::BoxAddress("192.168.1.5:5555"), "192.168.1.5");
    EXPECT_EQ(cmd::BoxAddress("192.168.1.5:8090"), std::nullopt);
    EXPECT_EQ(cmd::BoxAddress("192.168.1.5:5555:5555"), std::nullopt);
    EXPECT_EQ(cmd::BoxAddress("[::1]:5555"), std::nullopt);
}

}  // namespace
}  // namespace qvpc
