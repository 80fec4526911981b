#include "app/core_parts.h"

#include "base/screen.h"

namespace qvpc {

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
          needs.dataDir, std::move(needs.update)) {}

CoreParts::~CoreParts() {
    update.shutDown();
    engine.shutDown();
    scanner.shutDown();
    remoteWrites.shutDown();
}

}  // namespace qvpc
