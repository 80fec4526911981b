#pragma once

#include <chrono>
#include <functional>

namespace qvpc {

// The main window's life and event loop, behind Pause: on the
// user-interface thread a wait keeps the window responsive; elsewhere it is a
// plain sleep.
class WindowLoop {
  public:
    virtual ~WindowLoop() = default;

    virtual bool isUiThread() = 0;
    virtual void runEventLoopFor(std::chrono::milliseconds duration) = 0;
    virtual void processPendingEvents() = 0;
    // Queues work to run on the user-interface thread and returns at once;
    // once the program is closing queued work no longer runs.
    virtual void postToUiThread(std::function<void()> work) = 0;

    // Closes the main window, which ends the program.
    virtual void closeMainWindow() = 0;
    // Whether the main window has closed: the program is ending, every wait
    // ends at once and nothing more is shown.
    virtual bool programClosing() = 0;
};

}  // namespace qvpc
