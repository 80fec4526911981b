#include "adb/adb_commands.h"

#include "adb/shell_quote.h"

namespace qvpc::adb_commands {
namespace {

std::string Target(std::string_view ip) {
    return "adb -s " + ShellWord(std::string(ip) + std::string(kAdbPortSuffix));
}

// An activity is a class name, absolute or relative to the package (".Main").
bool IsValidActivity(std::string_view activity) {
    if (activity.empty()) {
        return false;
    }
    std::string_view name = activity.front() == '.' ? activity.substr(1) : activity;
    return name.find('.') == std::string_view::npos ? IsValidPackageName("a." + std::string(name))
                                                    : IsValidPackageName(name);
}

}  // namespace

std::optional<std::string> BoxAddress(std::string_view typed) {
    if (typed.ends_with(kAdbPortSuffix)) {
        typed.remove_suffix(kAdbPortSuffix.size());
    }
    if (typed.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(typed);
}

std::string StartServer() {
    return "adb start-server";
}

std::string KillServer() {
    return "adb kill-server";
}

std::string Devices() {
    return "adb devices";
}

std::string Connect(std::string_view ip) {
    return "adb connect " + ShellWord(ip);
}

std::string Disconnect(std::string_view ip) {
    return "adb disconnect " + ShellWord(ip);
}

std::string ReadBuildProp(std::string_view ip) {
    return Target(ip) + " shell cat /system/build.prop";
}

std::string Install(std::string_view ip, std::string_view apkPath) {
    return Target(ip) + " install -r " + QuotedPath(apkPath);
}

// Like the capture and the pull, addressed to adb's only device.
std::string RemoveScreenshotOnBox() {
    return "adb shell rm -f " + std::string(kRemoteScreenshot);
}

std::string Screencap() {
    return "adb shell /system/bin/screencap -p " + std::string(kRemoteScreenshot);
}

std::string PullScreenshot(std::string_view localPath) {
    return "adb pull " + std::string(kRemoteScreenshot) + " " + QuotedPath(localPath);
}

// Four echo requests, as the described platform's ping sends by default.
std::string Ping(std::string_view ip) {
    return "ping -c 4 " + ShellWord(ip);
}

std::optional<std::string> Uninstall(std::string_view ip, std::string_view package) {
    if (!IsValidPackageName(package)) {
        return std::nullopt;
    }
    return Target(ip) + " shell pm uninstall " + std::string(package);
}

std::optional<std::string> KillApp(std::string_view ip, std::string_view package) {
    if (!IsValidPackageName(package)) {
        return std::nullopt;
    }
    return Target(ip) + " shell am kill " + std::string(package);
}

std::optional<std::string> StartActivity(std::string_view ip, std::string_view package,
                                         std::string_view activity) {
    if (!IsValidPackageName(package) || !IsValidActivity(activity)) {
        return std::nullopt;
    }
    return Target(ip) + " shell am start -n " + std::string(package) + "/" + std::string(activity);
}

}  // namespace qvpc::adb_commands
