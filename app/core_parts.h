#pragma once

#include <functional>
#include <string>

#include "adb/connector.h"
#include "adb/progress_engine.h"
#include "apps/local_install.h"
#include "apps/screenshot.h"
#include "base/shared_state.h"
#include "devices/database.h"
#include "services/catalog_cache.h"
#include "services/catalog_client.h"
#include "services/catalog_downloads.h"
#include "services/catalog_page.h"
#include "services/downloader.h"

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
        // Where the catalog's downloads and icons go, with trailing "/".
        std::string downloadDir;
        std::string tempDir;
        CatalogClient::Hosts catalogHosts;
        // Runs work on the user-interface thread as a user action of its own
        // (a finished download's installation); unset, it runs at once.
        std::function<void(std::function<void()>)> asUserAction;
    };

    explicit CoreParts(Needs needs);
    CoreParts(const CoreParts&) = delete;
    CoreParts& operator=(const CoreParts&) = delete;

    SharedState state;
    // Opened once the carried files are written (AppCore::afterDeployment).
    Database database;
    ProgressEngine engine;
    Connector connector;
    LocalInstaller installer;
    Screenshot screenshot;
    CatalogClient catalogClient;
    Downloader downloader;
    CatalogCache catalogCache;
    CatalogPage catalogPage;
    CatalogDownloads catalogDownloads;
};

}  // namespace qvpc
