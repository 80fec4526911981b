#include "companion/adb_inventory.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "adb/shell_quote.h"
#include "base/keep_window_alive.h"
#include "base/log.h"
#include "base/window_loop.h"
#include "companion/companion_bootstrap.h"
#include "companion/loggable_text.h"
#include "companion/lookup_reply.h"
#include "net/json_document.h"

namespace qvpc {
namespace {

constexpr std::size_t kLongestPath = 512;
constexpr std::string_view kNull = "null";

std::string OrNull(std::string text) {
    return text.empty() ? std::string(kNull) : text;
}

// The size text the companion sends ("1.25M").
std::string SizeText(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fM", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

// A path the box's shell gets whole inside double quotes: an argv cannot
// carry a NUL, and a line break or other control character has no business
// in an APK's path.
bool IsQuotablePath(std::string_view path) {
    return path.starts_with('/') && path.size() <= kLongestPath &&
           std::none_of(path.begin(), path.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte < 0x20 || byte == 0x7F;
           });
}

std::string DetailsOf(const ListedPackage& package) {
    const std::string name = ShellWord(package.name);
    std::string command = "echo " + ShellWord(std::string(kPackageMarker) + package.name) +
                          "; dumpsys package " + name;
    if (IsQuotablePath(package.apkPath)) {
        command += "; ls -l " + QuotedPath(package.apkPath);
    }
    return command;
}

// One element of the list reply, with the members the companion sends.
nlohmann::ordered_json ElementOf(const ListedPackage& package, const std::string& part,
                                 const JsonDocument& offers) {
    const std::optional<PackageDump> dump = ParseDumpsysPackage(part, package.name);
    const std::optional<std::uint64_t> size =
        package.apkPath.empty() ? std::nullopt : ParseLsSize(part, package.apkPath);
    const std::string key = LookupKey(package.name);

    nlohmann::ordered_json element;
    element["PackageName"] = package.name;
    element["AppName"] = OrNull(offers.getText(key + ".apptitle"));
    element["VersionName"] = dump ? dump->versionName : std::string();
    // Without it the app is listed but never taken for an old version.
    if (dump && dump->versionCode) {
        element["VerCode"] = *dump->versionCode;
    }
    element["ApkSize"] = size ? SizeText(*size) : std::string();
    element["iconPath"] = OrNull(offers.getText(key + ".appico"));
    element["isUser"] = 1;
    element["ApkPath"] = OrNull(package.apkPath);
    element["DataDir"] = OrNull(dump ? dump->dataDir : std::string());
    element["FirstInstallTime"] = OrNull(dump ? dump->firstInstallTime : std::string());
    element["LastUpdateTime"] = OrNull(dump ? dump->lastUpdateTime : std::string());
    element["LaunchActivity"] = kNull;
    return element;
}

}  // namespace

AdbInventory::AdbInventory(Needs needs) : m_needs(std::move(needs)) {}

std::vector<std::string> AdbInventory::ShellArgv(const std::string& ip,
                                                 const std::string& command) {
    return {"adb", "-s", ip + ":5555", "shell", command};
}

std::vector<std::string> AdbInventory::DetailsCommands(const std::vector<ListedPackage>& packages) {
    std::vector<std::string> batches;
    std::string batch;
    for (const ListedPackage& package : packages) {
        if (!IsValidPackageName(package.name)) {
            continue;
        }
        const std::string details = DetailsOf(package);
        if (!batch.empty() && batch.size() + 2 + details.size() > kBatchBytes) {
            batches.push_back(std::move(batch));
            batch.clear();
        }
        batch += batch.empty() ? details : "; " + details;
    }
    if (!batch.empty()) {
        batches.push_back(std::move(batch));
    }
    return batches;
}

std::optional<std::string> AdbInventory::runShell(const std::string& ip, const std::string& command,
                                                  std::chrono::milliseconds limit) {
    std::optional<ProcessResult> result;
    RunKeepingWindowAlive(m_needs.loop,
                          [&] { result = m_needs.run(ShellArgv(ip, command), limit); });
    Log& log = m_needs.log;
    if (!result) {
        log.WriteLog(log_category::kOperation, "adb列出应用失败: adb无法运行");
        return std::nullopt;
    }
    if (result->timedOut) {
        log.WriteLog(log_category::kOperation, "adb列出应用超时: " + LoggableText(command));
        return std::nullopt;
    }
    // adb's exit code says nothing of the command on the box: the text does.
    if (const std::optional<std::string> failure = FailureLine(result->output)) {
        log.WriteLog(log_category::kOperation, "adb列出应用失败: " + LoggableText(*failure));
        return std::nullopt;
    }
    return std::move(result->output);
}

std::optional<AdbInventory::Listing> AdbInventory::ListUserApps(const std::string& ip) {
    if (ip.empty()) {
        return std::nullopt;
    }
    const std::optional<std::string> listed = runShell(ip, std::string(kListCommand), kListLimit);
    if (!listed) {
        return std::nullopt;
    }
    std::vector<ListedPackage> packages;
    for (ListedPackage& package : ParsePackageList(*listed)) {
        if (!IsValidPackageName(package.name)) {
            m_needs.log.WriteLog(log_category::kOperation,
                                 "包名不合法,不列出: " + LoggableText(package.name));
        } else if (package.name != CompanionBootstrap::kPackage) {
            packages.push_back(std::move(package));
        }
    }
    std::sort(packages.begin(), packages.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    packages.erase(std::unique(packages.begin(), packages.end(),
                               [](const auto& a, const auto& b) { return a.name == b.name; }),
                   packages.end());

    std::map<std::string, std::string> parts;
    for (const std::string& batch : DetailsCommands(packages)) {
        std::optional<std::string> output = runShell(ip, batch, kBatchLimit);
        if (!output) {
            return std::nullopt;
        }
        parts.merge(SplitAtMarkers(*output));
    }

    Listing listing;
    std::vector<std::string> names;
    for (const ListedPackage& package : packages) {
        names.push_back(package.name);
    }
    if (!names.empty() && m_needs.lookup) {
        RunKeepingWindowAlive(m_needs.loop, [&] { listing.lookupReply = m_needs.lookup(names); });
    }
    JsonDocument offers;
    ReadLookupReply(offers, listing.lookupReply);

    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const ListedPackage& package : packages) {
        list.push_back(ElementOf(package, parts[package.name], offers));
    }
    listing.listReply = list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return listing;
}

}  // namespace qvpc
