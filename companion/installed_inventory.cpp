#include "companion/installed_inventory.h"

#include <charconv>
#include <cmath>

#include "adb/shell_quote.h"
#include "base/keep_window_alive.h"
#include "base/log.h"
#include "base/screen.h"
#include "base/utf8.h"
#include "companion/companion_bootstrap.h"
#include "companion/loggable_text.h"
#include "companion/lookup_reply.h"
#include "net/http_client.h"
#include "net/web_fetch.h"

namespace qvpc {
namespace {

using Clock = std::chrono::steady_clock;

// An element with fewer members is no app of the companion's list.
constexpr int kMinMembers = 10;
constexpr double kTolerance = 1e-7;
constexpr int kUpgradeIconSeconds = 2;
constexpr std::string_view kUninstall = "卸载";
constexpr std::string_view kUpgrade = "更新";

std::string Element(int index) {
    return "arr[" + std::to_string(index) + "]";
}

std::string WithoutTrailingSpaces(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// The integer value of a text: leading blanks, a sign and digits; 0 for
// anything else, a value too large for the type included.
long long IntegerOf(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    long long value = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) {
        return 0;
    }
    return value;
}

}  // namespace

std::string InstalledInventory::DefaultIconFetch(const std::string& url) {
    return HttpClient::fetch(url);
}

std::string InstalledInventory::UpgradeIconFetch(const std::string& url) {
    return WebFetch({.url = url, .timeoutSeconds = kUpgradeIconSeconds});
}

InstalledInventory::InstalledInventory(Needs needs)
    : m_needs(std::move(needs)), m_icons(m_needs.tempDir) {}

void InstalledInventory::BuildInstalledList() {
    BuildInstalledList(m_needs.lastListReply ? m_needs.lastListReply() : std::string(),
                       std::nullopt);
}

void InstalledInventory::BuildInstalledList(const std::string& listReply,
                                            const std::optional<std::string>& lookupReply) {
    Screen& screen = m_needs.screen;
    m_appList.parse("{\"arr\":" + ValidUtf8(listReply) + "}");
    screen.clearAppRows();
    m_packageNames.clear();

    const Clock::time_point iconDeadline = Clock::now() + m_needs.iconBudget;
    m_iconBudgetSpent = false;
    const int n = m_appList.count("arr");
    for (int i = 0; i < n; ++i) {
        const std::string element = Element(i);
        if (m_appList.count(element) < kMinMembers || !isUserApp(element)) {
            continue;
        }
        const std::string name = nameOf(element);
        if (name == kCompanionLabel) {
            continue;
        }
        const std::optional<std::string> package = packageOf(element);
        // The companion by its package too: its label may be another on the box.
        if (!package || *package == CompanionBootstrap::kPackage) {
            continue;
        }
        const std::string iconPath =
            WithoutTrailingSpaces(m_appList.getText(element + ".iconPath"));
        InstalledAppRow row;
        row.icon = m_icons.icon(iconPath, boundedFetch(m_needs.fetchIcon, iconDeadline));
        row.name = name;
        row.version = m_appList.getText(element + ".VersionName");
        row.size = m_appList.getText(element + ".ApkSize");
        row.action = kUninstall;
        row.packageName = *package;
        m_packageNames.push_back(*package);
        screen.addAppRow(row);
    }
    screen.setUninstallCount(static_cast<int>(m_packageNames.size()));

    std::string latest;
    if (lookupReply) {
        latest = *lookupReply;
    } else if (!m_packageNames.empty() && m_needs.lookup) {
        RunKeepingWindowAlive(screen, [&] { latest = m_needs.lookup(m_packageNames); });
    }
    ReadLookupReply(m_upgrades, latest);
    DetectUpgrades();
}

void InstalledInventory::DetectUpgrades() {
    int count = 0;
    const int n = m_appList.count("arr");
    for (int i = 0; i < n; ++i) {
        const std::string element = Element(i);
        const std::string mark = element + ".downloadurl";
        // Only the download server names a download: a mark the box sent is
        // dropped.
        if (m_appList.find(mark)) {
            m_appList.setText(mark, "");
        }
        const std::string package = m_appList.getText(element + ".PackageName");
        const JsonValue* installed = m_appList.find(element + ".VerCode");
        // An app whose installed version is unknown is not taken for an old one.
        if (!IsValidPackageName(package) || !installed ||
            installed->kind() != JsonValue::Kind::Number) {
            continue;
        }
        const std::string key = LookupKey(package);
        const auto offered =
            static_cast<double>(IntegerOf(m_upgrades.getText(key + ".versioncode")));
        const std::string url = m_upgrades.getText(key + ".downurl");
        // Without an address there is nothing to upgrade from.
        if (offered - installed->number() > kTolerance && !url.empty()) {
            m_appList.setText(mark, url);
            ++count;
        }
    }
    m_needs.screen.setUpgradeCount(count);
}

void InstalledInventory::fillUpgradeList() {
    const Clock::time_point iconDeadline = Clock::now() + m_needs.iconBudget;
    m_iconBudgetSpent = false;
    const int n = m_appList.count("arr");
    for (int i = 0; i < n; ++i) {
        const std::string element = Element(i);
        const std::string url = m_appList.getText(element + ".downloadurl");
        if (url.empty() || !isUserApp(element)) {
            continue;
        }
        const std::string package = m_appList.getText(element + ".PackageName");
        const std::string key = LookupKey(package);
        const std::string iconPath =
            WithoutTrailingSpaces(m_appList.getText(element + ".iconPath"));
        InstalledAppRow row;
        row.icon = m_icons.icon(iconPath, boundedFetch(m_needs.fetchUpgradeIcon, iconDeadline));
        row.name = nameOf(element);
        row.version = m_upgrades.getText(key + ".versionname");
        row.size = m_upgrades.getText(key + ".size");
        row.action = kUpgrade;
        row.downloadUrl = url;
        row.packageName = package;
        m_needs.screen.addAppRow(row);
    }
}

std::optional<std::string> InstalledInventory::packageOf(const std::string& element) {
    std::string package = m_appList.getText(element + ".PackageName");
    if (!IsValidPackageName(package)) {
        m_needs.log.WriteLog(log_category::kOperation,
                             "包名不合法,不列出: " + LoggableText(package));
        return std::nullopt;
    }
    return package;
}

std::string InstalledInventory::nameOf(const std::string& element) const {
    const std::string name = WithoutTrailingSpaces(m_appList.getText(element + ".AppName"));
    return name == "null" ? m_appList.getText(element + ".PackageName") : name;
}

bool InstalledInventory::isUserApp(const std::string& element) const {
    return std::fabs(m_appList.getNumber(element + ".isUser") - 1) <= kTolerance;
}

IconCache::Fetch InstalledInventory::boundedFetch(const IconCache::Fetch& fetch,
                                                  Clock::time_point deadline) {
    if (!fetch) {
        return {};
    }
    if (Clock::now() >= deadline) {
        if (!m_iconBudgetSpent) {
            m_iconBudgetSpent = true;
            m_needs.log.WriteLog(log_category::kOperation, "图标获取超时,其余图标下次再取");
        }
        return {};
    }
    return [this, &fetch](const std::string& url) {
        std::string bytes;
        RunKeepingWindowAlive(m_needs.screen, [&] { bytes = fetch(url); });
        return bytes;
    };
}

}  // namespace qvpc
