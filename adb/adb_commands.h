#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvpc::adb_commands {

// The one place that builds the adb command lines the program writes to its
// shell. Every value goes through the quoting helpers, so ordinary values give
// the plain text ("adb connect 192.168.1.5") and hostile ones run nothing.
// A box is addressed as IP + ":5555".

inline constexpr std::string_view kRemoteScreenshot = "/sdcard/screenshot.png";
// What follows a box's IP wherever adb names it: its ADB port.
inline constexpr std::string_view kAdbPortSuffix = ":5555";

// A box's address as the program keeps it, from one a user typed: without
// the port, which users copy from the TV's settings as "192.168.1.5:5555".
// nullopt for an address with another port, which no box listens on here.
std::optional<std::string> BoxAddress(std::string_view typed);

std::string StartServer();
std::string KillServer();
std::string Devices();
std::string Connect(std::string_view ip);
std::string Disconnect(std::string_view ip);
std::string ReadBuildProp(std::string_view ip);
std::string Install(std::string_view ip, std::string_view apkPath);
std::string RemoveScreenshotOnBox();
std::string Screencap();
std::string PullScreenshot(std::string_view localPath);
std::string Ping(std::string_view ip);

// These name a package; nothing is built for a name outside Android's grammar.
std::optional<std::string> Uninstall(std::string_view ip, std::string_view package);
std::optional<std::string> KillApp(std::string_view ip, std::string_view package);
std::optional<std::string> StartActivity(std::string_view ip, std::string_view package,
                                         std::string_view activity);

}  // namespace qvpc::adb_commands
