#pragma once

#include <functional>
#include <string>

#include "adb/task_owner.h"

namespace qvpc {

class Log;
class ProgressEngine;
class Screen;
class SharedState;
class TaskShell;

// A picture of the TV screen: the box captures it, adb pulls it to
// DataDir/screenshot.png and the busy page shows it, as the owner of the task
// "进度_截屏". The picture's menu saves a copy or shows the file in its folder.
class Screenshot : public TaskOwner {
  public:
    Screenshot(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
               ProgressEngine& engine, std::function<void()> startLanScan, std::string dataDir);

    static std::string PathIn(const std::string& dataDir);

    void TakeScreenshot();
    void SaveScreenshotAs();
    void OpenScreenshotFolder();

    void InterpretResult(TimerId timer) override;
    void TaskLost(TimerId timer) override;
    // What a stopped pull left goes.
    void TaskStopped() override;

  private:
    void finish(TimerId timer, bool captured);

    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
    std::function<void()> m_startLanScan;
    const std::string m_path;
};

}  // namespace qvpc
