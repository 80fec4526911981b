#pragma once

#include <memory>
#include <string>

#include "app/core_parts.h"
#include "base/log.h"
#include "support/fake_screen.h"
#include "support/fake_shell.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// The task parts of the core on a scripted shell and a recording screen, with
// a fast tick, in a data folder of their own.
struct TaskRig {
    static constexpr std::chrono::milliseconds kPeriod{10};

    explicit TaskRig(ProgressEngine::Timings timings = FastTimings());
    ~TaskRig();

    static ProgressEngine::Timings FastTimings();

    // The log's records as UTF-8, newest first.
    std::string logText() const;
    int lanScans() const { return m_lanScans; }
    // Waits until no task runs (true) or the limit passes.
    bool waitForIdle(std::chrono::milliseconds limit = std::chrono::seconds(5));

    TempDir dir;
    std::string dataDir;
    FakeShell shell;
    FakeScreen screen;
    Log log;
    CoreParts parts;
    // The parts by name.
    SharedState& state;
    ProgressEngine& engine;
    Connector& connector;
    LocalInstaller& installer;
    Screenshot& screenshot;

  private:
    int m_lanScans = 0;
};

}  // namespace qvpc::test
