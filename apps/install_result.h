#pragma once

#include <string_view>

#include "adb/task_owner.h"

namespace qvpc {

class Log;
class ProgressEngine;
class Screen;
class TaskShell;
struct InstallOutcome;

// Reads an installation's outcome ("进度_安装应用"): tells the user, marks the
// catalog tile or the upgraded row the APK was for, and ends the task.
class InstallResult : public TaskOwner {
  public:
    InstallResult(TaskShell& shell, Screen& screen, Log& log, ProgressEngine& engine);

    void InterpretResult(TimerId timer) override;
    void TaskLost(TimerId timer) override;

  private:
    void finish(TimerId timer, const InstallOutcome& outcome);

    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
};

// The tile or row position in an installation's extra text: the integer
// between the first "<" and the following ">" ("应用下载<3>" gives 3); 0 when
// there is none.
int TilePosition(std::string_view extra);

}  // namespace qvpc
