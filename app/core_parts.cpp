#include "app/core_parts.h"

#include "base/log.h"
#include "base/screen.h"

namespace qvpc {
namespace {

std::function<void(std::function<void()>)> OrAtOnce(
    std::function<void(std::function<void()>)> asUserAction) {
    if (asUserAction) {
        return asUserAction;
    }
    return [](std::function<void()> work) { work(); };
}

}  // namespace

CoreParts::CoreParts(Needs needs)
    : engine(state, needs.shell, needs.screen, needs.log, needs.timings),
      connector(
          state, needs.shell, needs.screen, needs.log, engine,
          [this] { recognition.RecognizeConnectedBox(); },
          [this, &log = needs.log](const std::string& ip) { AskBoxToStartAdbd(channel, log, ip); }),
      installer(state, needs.shell, needs.screen, needs.log, engine, needs.startLanScan,
                needs.browseDir),
      screenshot(state, needs.shell, needs.screen, needs.log, engine, needs.startLanScan,
                 needs.dataDir),
      remoteSql(needs.remoteSqlUrl),
      records(database, remoteSql, remoteWrites, needs.log),
      macs(needs.log, needs.screen, needs.network.arp),
      boxNames(records, remoteSql, needs.log),
      recognition(state, needs.shell, needs.screen, needs.log, remoteSql, records, macs,
                  needs.buildPropWait),
      channel(needs.screen, needs.screen),
      scanner(needs.screen, needs.log, macs, boxNames, needs.network.addresses),
      update(
          needs.log, needs.screen, needs.screen, [this] { return engine.currentProgress(); },
          needs.dataDir, std::move(needs.update)),
      catalogClient(needs.catalogHosts, needs.screen),
      downloader(
          {.popup = needs.screen,
           .tiles = needs.screen,
           .loop = needs.screen,
           .log = needs.log,
           .dataDir = needs.dataDir,
           .install = [this](const std::string& path,
                             const std::string& title) { installer.InstallApk(path, title); },
           .asUserAction = OrAtOnce(needs.asUserAction)}),
      catalogCache(database, catalogClient, needs.screen, needs.tempDir),
      catalogPage(
          catalogClient, needs.screen, needs.screen,
          [this](int position, const CatalogItem& item) { catalogCache.addTile(position, item); }),
      catalogDownloads(catalogClient, downloader, needs.screen, needs.downloadDir, needs.dataDir) {}

CoreParts::~CoreParts() {
    update.shutDown();
    downloader.shutDown();
    engine.shutDown();
    scanner.shutDown();
    remoteWrites.shutDown();
}

}  // namespace qvpc
