#pragma once

#include <functional>
#include <string>

namespace qvpc {

class Log;
class ProgressEngine;
class Screen;
class SharedState;
class TaskShell;

// A picture of the TV screen: the box captures it, adb pulls it to
// DataDir/screenshot.png and the busy page shows it (the result
// interpretation does that part). The picture's menu saves a copy or shows
// the file in its folder.
class Screenshot {
  public:
    Screenshot(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
               ProgressEngine& engine, std::function<void()> startLanScan, std::string dataDir);

    static std::string PathIn(const std::string& dataDir);

    void TakeScreenshot();
    void SaveScreenshotAs();
    void OpenScreenshotFolder();
    // A screenshot task was stopped by force: what its pull left goes.
    void DiscardUnfinished();

  private:
    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
    std::function<void()> m_startLanScan;
    const std::string m_path;
};

}  // namespace qvpc
