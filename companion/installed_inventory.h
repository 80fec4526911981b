#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "companion/icon_cache.h"
#include "net/json_document.h"

namespace qvpc {

class Log;
class Screen;

// The installed-app side of page 9, built from an app list in the
// companion's shape (a JSON array, one object per package): the rows of the
// user apps, the companion left out, with their icons from the icon cache;
// the download server's latest versions; and the upgrade marks, a
// "downloadurl" in the list's element of every app the server has a higher
// version code of. Both documents are replaced by each list build, never
// merged. User-interface thread only; every fetch keeps the window alive.
class InstalledInventory {
  public:
    using Lookup = std::function<std::string(const std::vector<std::string>& packages)>;

    struct Needs {
        Screen& screen;
        Log& log;
        // The icon cache (TempDir), with its trailing "/".
        std::string tempDir;
        // The companion's latest list reply.
        std::function<std::string()> lastListReply;
        // The download server's record of the packages (lookupPackages);
        // empty text when it has none.
        Lookup lookup;
        // The icons of the uninstall list, and the upgrade list's, which may
        // take 2 seconds each.
        IconCache::Fetch fetchIcon = DefaultIconFetch;
        IconCache::Fetch fetchUpgradeIcon = UpgradeIconFetch;
        // How long one list may spend fetching icons; rows after that show
        // what the cache has, and the next list tries again.
        std::chrono::milliseconds iconBudget = kIconBudget;
    };

    static constexpr std::chrono::milliseconds kIconBudget{20'000};
    static std::string DefaultIconFetch(const std::string& url);
    static std::string UpgradeIconFetch(const std::string& url);

    explicit InstalledInventory(Needs needs);

    // The uninstall list from lastListReply(), its count, the latest
    // versions of its packages and the upgrade marks with their count.
    void BuildInstalledList();
    // The same from a list reply made elsewhere (the adb inventory), with
    // the lookup reply of its packages when it was already asked for.
    void BuildInstalledList(const std::string& listReply,
                            const std::optional<std::string>& lookupReply);

    // Marks every element of the list the server has a higher version code
    // of, and sets the upgrade count.
    void DetectUpgrades();

    // The upgrade list's rows: every marked user app, with the version and
    // size the server offers. The caller has cleared the list and shown the
    // page.
    void fillUpgradeList();

    // The app list ({"arr": reply}, with the marks) and the latest versions.
    const JsonDocument& appListDocument() const { return m_appList; }
    const JsonDocument& upgradeDocument() const { return m_upgrades; }
    // The package names of the rows of the uninstall list, in order.
    const std::vector<std::string>& packageNames() const { return m_packageNames; }

    // The companion's label on the box: it is never listed.
    static constexpr std::string_view kCompanionLabel = "应用安装服务";

  private:
    // The element's package name, or nullopt (logged) when it is no valid
    // Android package name and so must reach no URL or command line.
    std::optional<std::string> packageOf(const std::string& element);
    // The element's name shown on its row: AppName, or the package name
    // when that is "null".
    std::string nameOf(const std::string& element) const;
    bool isUserApp(const std::string& element) const;
    // A fetch of the icons that keeps the window alive; none once the
    // deadline has passed (noted once per list).
    IconCache::Fetch boundedFetch(const IconCache::Fetch& fetch,
                                  std::chrono::steady_clock::time_point deadline);

    Needs m_needs;
    IconCache m_icons;
    JsonDocument m_appList;
    JsonDocument m_upgrades;
    std::vector<std::string> m_packageNames;
    bool m_iconBudgetSpent = false;
};

}  // namespace qvpc
