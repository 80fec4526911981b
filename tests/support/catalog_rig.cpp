#include "support/catalog_rig.h"

#include "base/gbk.h"
#include "deploy/carried_images.h"
#include "services/catalog_cache.h"

namespace qvpc::test {

CatalogRig::CatalogRig(const ServiceSimOptions& options)
    : sim(options),
      paths(AppPaths::UnderDocuments(dir.path() + "/Documents")),
      shell(paths.dataDir),
      log(paths.logPath),
      parts(
          {.shell = shell,
           .screen = screen,
           .log = log,
           .dataDir = paths.dataDir,
           .browseDir = dir.path(),
           .downloadDir = paths.downloadDir,
           .tempDir = paths.tempDir,
           .catalogHosts = {sim.hostPort(SimService::Catalog), sim.hostPort(SimService::Download)},
           // The apps on the box are listed through adb, here a box
           // without any: the catalog's tests see no companion and no adb.
           .companionMayBeInstalled = false,
           .adbRunner = [](const std::vector<std::string>&, std::chrono::milliseconds) {
               return std::optional<ProcessResult>(ProcessResult{.exitCode = 0});
           }}) {
    MakeDirectories(paths.downloadDir);
    MakeDirectories(paths.tempDir);
    const auto image = carried_images::DatabaseTemplate();
    WriteFile(paths.dbPath, std::string(image.begin(), image.end()));
    parts.database.OpenAccess(paths.dbPath);
}

CatalogRig::~CatalogRig() {
    parts.downloader.shutDown();
    parts.engine.shutDown();
}

int CatalogRig::hits(const std::string& endpoint) const {
    return static_cast<int>(sim.hits(endpoint).size());
}

std::string CatalogRig::logText() const {
    return GbkToUtf8(ReadFile(log.path()));
}

int CatalogRig::cachedRows() {
    return parts.database.CountRows(CatalogCache::kTable, "");
}

}  // namespace qvpc::test
