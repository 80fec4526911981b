#pragma once

#include <functional>
#include <string>

#include "adb/connector.h"
#include "adb/progress_engine.h"
#include "apps/app_uninstaller.h"
#include "apps/local_install.h"
#include "apps/screenshot.h"
#include "base/shared_state.h"
#include "companion/adb_inventory.h"
#include "companion/app_list_loader.h"
#include "companion/companion_bootstrap.h"
#include "companion/installed_inventory.h"
#include "companion/upgrade_listing.h"
#include "devices/background_writes.h"
#include "devices/box_names.h"
#include "devices/box_recognition.h"
#include "devices/command_channel.h"
#include "devices/database.h"
#include "devices/device_records.h"
#include "devices/lan_scanner.h"
#include "devices/local_network.h"
#include "devices/mac_lookup.h"
#include "devices/remote_sql.h"
#include "services/catalog_cache.h"
#include "services/catalog_client.h"
#include "services/catalog_downloads.h"
#include "services/catalog_page.h"
#include "services/downloader.h"
#include "services/installed_row_actions.h"
#include "services/update_check.h"

namespace qvpc {

class Log;
class Screen;
class TaskShell;

// The parts of the core that work on the box, made and wired to each other
// in this one place, for the program (on the real shell) and for its tests
// (on a scripted one). A new part is added here and nowhere else.
struct CoreParts {
    struct Needs {
        TaskShell& shell;
        Screen& screen;
        Log& log;
        std::string dataDir;
        // Where the browse dialog of the local install page starts.
        std::string browseDir;
        ProgressEngine::Timings timings;
        std::function<void()> startLanScan;
        UpdateSettings update{};
        // The remote SQL service; empty reaches none.
        std::string remoteSqlUrl;
        // The machine's addresses and neighbour table; without them nothing
        // is scanned or resolved.
        LocalNetwork network;
        // How long a connected box's build properties may take to arrive.
        std::chrono::milliseconds buildPropWait = BoxRecognition::kBuildPropWait;
        // Where the catalog's downloads and icons go, with trailing "/".
        std::string downloadDir;
        std::string tempDir;
        CatalogClient::Hosts catalogHosts;
        // Runs work on the user-interface thread as a user action of its own
        // (a finished download's installation); unset, it runs at once.
        std::function<void(std::function<void()>)> asUserAction;
        // Whether the carried companion may be put on a box; when not, the
        // box's apps are listed through adb alone.
        bool companionMayBeInstalled = true;
        // Runs adb for the listing without the companion.
        AdbInventory::Runner adbRunner = RunProcess;
    };

    explicit CoreParts(Needs needs);
    // Stops the threads that reach into the parts before any part goes.
    ~CoreParts();
    CoreParts(const CoreParts&) = delete;
    CoreParts& operator=(const CoreParts&) = delete;

    // The companion on the current box (CompanionQuery).
    std::string askCompanion(int action, int timeoutSeconds);

    SharedState state;
    // Opened once the carried files are written (AppCore::afterDeployment).
    Database database;
    ProgressEngine engine;
    Connector connector;
    LocalInstaller installer;
    Screenshot screenshot;
    RemoteSql remoteSql;
    BackgroundWrites remoteWrites;
    DeviceRecords records;
    MacLookup macs;
    BoxNames boxNames;
    BoxRecognition recognition;
    CommandChannel channel;
    LanScanner scanner;
    UpdateCheck update;
    CatalogClient catalogClient;
    Downloader downloader;
    CatalogCache catalogCache;
    CatalogPage catalogPage;
    CatalogDownloads catalogDownloads;
    CompanionBootstrap bootstrap;
    InstalledInventory inventory;
    AdbInventory adbInventory;
    AppListLoader appList;
    AppUninstaller uninstaller;
    InstalledRowActions rowActions;
    UpgradeListing upgradeListing;

  private:
    // The list of the current box through adb alone, and the rows made of
    // it with the lookup the listing already asked.
    std::optional<std::string> listThroughAdb();
    void buildInstalledList();

    const bool m_companionMayBeInstalled;
    std::optional<std::string> m_adbLookupReply;
};

}  // namespace qvpc
