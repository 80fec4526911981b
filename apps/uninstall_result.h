#pragma once

#include "adb/task_owner.h"

namespace qvpc {

class ProgressEngine;
class Screen;
class TaskShell;

// Reads an uninstallation's outcome ("进度_卸载应用"): a success marks the
// row it was started from done (the task's subject is the package, its extra
// text the row's position), a failure says so.
class UninstallResult : public TaskOwner {
  public:
    UninstallResult(TaskShell& shell, Screen& screen, ProgressEngine& engine);

    void InterpretResult(TimerId timer) override;
    void TaskLost(TimerId timer) override;

  private:
    void finish(TimerId timer, bool succeeded);

    TaskShell& m_shell;
    Screen& m_screen;
    ProgressEngine& m_engine;
};

}  // namespace qvpc
