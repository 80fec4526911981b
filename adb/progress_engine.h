#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "adb/task_owner.h"
#include "adb/task_timers.h"

namespace qvpc {

class Log;
class Screen;
class SharedState;
class TaskShell;

// One task at a time, named by its progress name (CurrentProgress). While a
// task runs its timer ticks: it watches the shell, shows the install
// percentage, bounds the task, and hands it to its owner once the shell is
// back at its prompt; the owner ends it with EndTask. The engine keeps the
// one record of the running task.
//
// StartTask, ForceStop and the conflict prompt run on the user-interface
// thread, the ticks on the timers' thread. Neither ever waits for the other:
// no lock of the engine is held while the screen is asked anything or while
// a tick runs.
class ProgressEngine {
  public:
    struct Timings {
        std::chrono::milliseconds period{1000};
        // adb waits about two minutes on an address that never answers.
        std::chrono::milliseconds connectLimit{15000};
        // An install's transfer that stands still this long has stopped: a
        // box that was switched off leaves no socket error for minutes.
        std::chrono::milliseconds stallLimit{60000};
        // Once the APK is on the box, its verdict comes within this (a big
        // app's installation on a slow box takes that long).
        std::chrono::milliseconds verdictLimit{300000};
        // An uninstall or a screenshot.
        std::chrono::milliseconds commandLimit{60000};
        // A forced stop ends the task's commands and gives the shell this
        // long to come back, so their prompts do not end the next task.
        std::chrono::milliseconds promptAfterStop{2000};
    };

    ProgressEngine(SharedState& state, TaskShell& shell, Screen& screen, Log& log, Timings timings);
    ProgressEngine(SharedState& state, TaskShell& shell, Screen& screen, Log& log)
        : ProgressEngine(state, shell, screen, log, Timings{}) {}
    ~ProgressEngine();
    ProgressEngine(const ProgressEngine&) = delete;
    ProgressEngine& operator=(const ProgressEngine&) = delete;

    // Runs whenever a task is stopped by force (the companion's last list
    // reply is emptied there).
    void setForcedStopHook(std::function<void()> hook);

    // Starts the task; false when one is already running, which is then
    // abandoned after a one-button notice. An installation with a subject
    // shows the installing popup.
    bool StartTask(TaskRequest request);

    // The conflict prompt every operation on the box asks first. When a task
    // runs: the two-button question whether to stop it (confirming writes
    // stopLog, when given, and stops it), then the log record; true, and the
    // caller does not go on. False when no task runs.
    bool CheckTaskConflict(std::string_view stopLog = {});

    // Abandons the running task at once: its timer stops, the command the
    // shell runs for it ends, CurrentProgress is emptied and OutputBuffer reset.
    void ForceStop();

    // Ends the task of this timer: its timer stops, OutputBuffer is reset and
    // CurrentProgress emptied, in that order so that whoever sees no task also
    // sees the reset output. withShellStatus asks ShellStatus once first. A
    // timer whose task is no longer the running one is only stopped.
    void EndTask(TimerId timer, bool withShellStatus = false);

    // The running task's progress name (CurrentProgress), "" when none runs.
    std::string currentProgress() const;
    // The subject and extra text the running task was started with.
    std::string taskSubject() const;
    std::string taskExtra() const;

    // An owner's question when the shell is back at its prompt but the
    // output holds no verdict: true for a few ticks, then the command has
    // ended for good and nothing more will come.
    bool mayWaitForVerdict(TimerId timer);
    static constexpr int kTicksWithoutVerdict = 3;

    // Ends the timers' thread; no tick runs afterwards.
    void shutDown();

    // The timer's tick; public for the timers' thread.
    void Tick(TimerId timer);

  private:
    void stopTimerOf(TimerId timer);
    // Whether the running task has run past its limit; notes the output's
    // changes as it goes.
    bool pastItsLimit(std::string_view progress, const std::string& output);
    TaskOwner* ownerOf(TimerId timer) const;
    void updateInstallPercent(const std::string& output);
    void endTaskCommands();

    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    const Timings m_timings;

    std::mutex m_hookMutex;
    std::function<void()> m_forcedStopHook;

    // The running task: its progress name ("" when idle), its timer (0 when
    // none ticks: idle or stalled), owner, subject and extra text, when it
    // started, and how its output moved. Guarded by m_mutex, which also
    // orders the changes of the name and OutputBuffer that end a task.
    struct RunningTask {
        std::string progressName;
        TimerId timer = 0;
        TaskOwner* owner = nullptr;
        std::string subject;
        std::string extra;
        std::chrono::steady_clock::time_point start;
        std::uint64_t outputChanges = 0;
        std::chrono::steady_clock::time_point lastChange;
        std::optional<std::chrono::steady_clock::time_point> transferEnded;
        int shownPercent = 0;  // what the popup's percent label shows
        int ticksWithoutVerdict = 0;
    };
    mutable std::mutex m_mutex;
    RunningTask m_task;

    // Last: its thread calls Tick and must end before the members above go.
    TaskTimers m_timers;
};

// The tick's reading of the install percentage: the value of adb's last
// progress record ("[ 45%] ..."), else the integer in the six characters
// before the last "%" of the output (0 when none).
int InstallPercentIn(std::string_view output);

}  // namespace qvpc
