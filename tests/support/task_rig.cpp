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
      engine(state, shell, screen, log, timings),
      connector(state, shell, screen, log, engine),
      interpreter(state, shell, screen, log, engine, connector, Screenshot::PathIn(dataDir)),
      installer(
          state, shell, screen, log, engine, [this] { ++m_lanScans; }, dir.path()),
      screenshot(
          state, shell, screen, log, engine, [this] { ++m_lanScans; }, dataDir) {
    std::filesystem::create_directories(dataDir);
    engine.setInterpreter(&interpreter);
}

TaskRig::~TaskRig() {
    engine.shutDown();
}

std::string TaskRig::logText() const {
    return GbkToUtf8(ReadFile(log.path()));
}

bool TaskRig::waitForIdle(std::chrono::milliseconds limit) {
    return WaitFor([this] { return state.currentProgress().empty(); }, limit);
}

}  // namespace qvpc::test
