#include "app/core_parts.h"

namespace qvpc {

CoreParts::CoreParts(Needs needs)
    : engine(state, needs.shell, needs.screen, needs.log, needs.timings),
      connector(state, needs.shell, needs.screen, needs.log, engine),
      installer(state, needs.shell, needs.screen, needs.log, engine, needs.startLanScan,
                needs.browseDir),
      screenshot(state, needs.shell, needs.screen, needs.log, engine, needs.startLanScan,
                 needs.dataDir),
      update(
          needs.log, needs.screen, needs.screen, [this] { return engine.currentProgress(); },
          needs.dataDir, std::move(needs.update)) {}

}  // namespace qvpc
