#pragma once

#include "apps/uninstall_result.h"
#include "base/app_management_views.h"

namespace qvpc {

class Log;
class ProgressEngine;
class Screen;
class SharedState;
class TaskShell;

// Takes an app off the box: the task "进度_卸载应用" runs "pm uninstall" of
// the row's package, and its owner marks the row done when the box says
// "Success".
class AppUninstaller {
  public:
    AppUninstaller(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                   ProgressEngine& engine);

    // position: where the row is in the list, marked done on success.
    void UninstallApp(int position, const InstalledAppRow& row);

  private:
    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
    UninstallResult m_result;
};

}  // namespace qvpc
