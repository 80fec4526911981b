#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "companion/companion_bootstrap.h"

namespace qvpc {

class Log;
class ProgressEngine;
class Screen;
class SharedState;
class TaskShell;

// Opens the installed-app side of the app-management page: the companion is
// set up on the box (CompanionBootstrap), then asked for its app list until
// it has one, which the inventory turns into the list's rows.
class AppListLoader {
  public:
    struct Needs {
        TaskShell& shell;
        Screen& screen;
        Log& log;
        SharedState& state;
        ProgressEngine& engine;
        CompanionBootstrap& bootstrap;
        std::function<std::string(int action, int timeoutSeconds)> query;
        std::function<void()> startLanScan;
        // Builds the list from lastListReply().
        std::function<void()> buildInstalledList;
        // Set when the companion may not be put on the box: the box's apps
        // are then listed through adb alone, into a reply of the companion's
        // shape; nullopt when the box did not answer.
        std::function<std::optional<std::string>()> listWithoutCompanion;
    };

    // How long the list is asked for after the companion is set up.
    static constexpr std::chrono::seconds kListLimit{60};

    explicit AppListLoader(Needs needs);

    // User-interface thread.
    void LoadInstalledApps();

    // The companion's latest app list reply ("" before the first, and after
    // a task was stopped by force).
    std::string lastListReply() const;
    void clearLastListReply();

  private:
    // The companion's list, asked for once a second until it has one; false
    // when the user aborted or it never came.
    bool pollList();
    // The list through adb alone; false when it did not come.
    bool listThroughAdb();
    void setLastListReply(std::string reply);
    void leave();

    Needs m_needs;
    mutable std::mutex m_mutex;
    std::string m_lastListReply;
};

}  // namespace qvpc
