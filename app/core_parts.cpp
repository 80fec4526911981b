#include "app/core_parts.h"

#include "base/log.h"
#include "base/screen.h"
#include "companion/companion_query.h"
#include "deploy/carried_images.h"
#include "deploy/toolchain.h"

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
      catalogDownloads(catalogClient, downloader, needs.screen, needs.downloadDir, needs.dataDir),
      bootstrap({.shell = needs.shell,
                 .screen = needs.screen,
                 .log = needs.log,
                 .state = state,
                 .apkPath = CompanionApkPath(needs.dataDir),
                 .writeApk =
                     [apk = CompanionApkPath(needs.dataDir)] {
                         return WriteImage(apk, carried_images::CompanionApk());
                     },
                 .query = [this](int action, int timeout) { return askCompanion(action, timeout); },
                 .mayInstall = needs.companionMayBeInstalled}),
      inventory({.screen = needs.screen,
                 .log = needs.log,
                 .tempDir = needs.tempDir,
                 .lastListReply = [this] { return appList.lastListReply(); },
                 .lookup =
                     [this](const std::vector<std::string>& packages) {
                         return catalogClient.lookupPackages(packages);
                     }}),
      adbInventory({.loop = needs.screen,
                    .log = needs.log,
                    .lookup =
                        [this](const std::vector<std::string>& packages) {
                            return catalogClient.lookupPackages(packages);
                        },
                    .run = needs.adbRunner}),
      appList({.shell = needs.shell,
               .screen = needs.screen,
               .log = needs.log,
               .state = state,
               .engine = engine,
               .bootstrap = bootstrap,
               .query = [this](int action, int timeout) { return askCompanion(action, timeout); },
               .startLanScan = needs.startLanScan,
               .buildInstalledList = [this] { buildInstalledList(); },
               .listWithoutCompanion = needs.companionMayBeInstalled
                                           ? std::function<std::optional<std::string>()>{}
                                           : [this] { return listThroughAdb(); }}),
      uninstaller(state, needs.shell, needs.screen, needs.log, engine),
      rowActions(uninstaller, downloader, needs.screen, needs.log, needs.tempDir),
      upgradeListing({.shell = needs.shell,
                      .screen = needs.screen,
                      .state = state,
                      .engine = engine,
                      .startLanScan = needs.startLanScan,
                      .fillUpgradeList = [this] { inventory.fillUpgradeList(); }}),
      m_companionMayBeInstalled(needs.companionMayBeInstalled) {
    // A task stopped by force takes the list it was loading with it.
    engine.setForcedStopHook([this] { appList.clearLastListReply(); });
}

std::string CoreParts::askCompanion(int action, int timeoutSeconds) {
    return CompanionQuery(state.currentIp(), action, timeoutSeconds);
}

std::optional<std::string> CoreParts::listThroughAdb() {
    m_adbLookupReply.reset();
    std::optional<AdbInventory::Listing> listing = adbInventory.ListUserApps(state.currentIp());
    if (!listing) {
        return std::nullopt;
    }
    m_adbLookupReply = std::move(listing->lookupReply);
    return std::move(listing->listReply);
}

void CoreParts::buildInstalledList() {
    if (m_companionMayBeInstalled) {
        inventory.BuildInstalledList();
    } else {
        inventory.BuildInstalledList(appList.lastListReply(), m_adbLookupReply);
    }
}

CoreParts::~CoreParts() {
    update.shutDown();
    downloader.shutDown();
    engine.shutDown();
    scanner.shutDown();
    remoteWrites.shutDown();
}

}  // namespace qvpc
