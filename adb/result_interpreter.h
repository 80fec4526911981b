#pragma once

#include <string>

#include "adb/install_outcome.h"
#include "adb/progress_engine.h"

namespace qvpc {

class Connector;
class Log;
class Screen;
class SharedState;
class TaskShell;

// Reads a finished task's output by its progress name, tells the user, updates
// the tile or row the task was for and ends the task. Runs on the timers'
// thread, inside the tick.
class ResultInterpreter : public TaskInterpreter {
  public:
    // An output without a verdict although the shell is back at its prompt
    // gets this many more ticks before it counts as a failure: the command
    // has ended and nothing more will come.
    static constexpr int kTicksWithoutVerdict = 3;

    ResultInterpreter(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                      ProgressEngine& engine, Connector& connector, std::string screenshotPath);

    void InterpretResult(TimerId timer) override;
    void TaskLost(TimerId timer) override;

  private:
    void interpretConnect(TimerId timer);
    void interpretInstall(TimerId timer);
    void interpretUninstall(TimerId timer);
    void interpretScreenshot(TimerId timer);
    // The ends of the tasks, for a verdict and for a task lost.
    void finishInstall(TimerId timer, const InstallOutcome& outcome);
    void finishUninstall(TimerId timer, bool succeeded);
    void finishScreenshot(TimerId timer, bool captured);
    // Counts the ticks of this timer that found no verdict; true while the
    // task may still wait for one.
    bool mayWaitForVerdict(TimerId timer);

    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
    Connector& m_connector;
    const std::string m_screenshotPath;

    // Only the timers' thread touches these.
    TimerId m_waitingTimer = 0;
    int m_waitingTicks = 0;
};

// The tile position in an installation's extra text: the integer between the
// first "<" and the following ">" ("应用下载<3>" gives 3); 0 when there is none.
int TilePosition(std::string_view extra);

}  // namespace qvpc
