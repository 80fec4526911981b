#include "support/task_rig.h"

#include <filesystem>

#include "base/gbk.h"
#include "support/wait.h"

namespace qvpc::test {

ProgressEngine::Timings TaskRig::FastTimings() {
    ProgressEngine::Timings timings;
    timings.period = kPeriod;
    timings.promptAfterStop = std::chrono::milliseconds(200);
    return timings;
}

TaskRig::TaskRig(ProgressEngine::Timings timings)
    : dataDir(dir.path() + "/RiVod"),
      shell(dataDir),
      log(dir.path() + "/log.txt"),
      parts({.shell = shell,
             .screen = screen,
             .log = log,
             .dataDir = dataDir,
             .browseDir = dir.path(),
             .timings = timings,
             .startLanScan = [this] { ++m_lanScans; },
             // The scripted shell answers no build.prop unless a test does.
             .buildPropWait = std::chrono::milliseconds(0),
             .tempDir = dir.path() + "/RiVod/tmp/"}),
      state(parts.state),
      engine(parts.engine),
      connector(parts.connector),
      installer(parts.installer),
      screenshot(parts.screenshot) {
    std::filesystem::create_directories(dataDir + "/tmp");
}

TaskRig::~TaskRig() {
    engine.shutDown();
}

std::string TaskRig::logText() const {
    return GbkToUtf8(ReadFile(log.path()));
}

bool TaskRig::waitForIdle(std::chrono::milliseconds limit) {
    return WaitFor([this] { return engine.currentProgress().empty(); }, limit);
}

}  // namespace qvpc::test
