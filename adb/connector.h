#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "adb/task_owner.h"
#include "base/screen.h"

namespace qvpc {

class Log;
class ProgressEngine;
class SharedState;
class TaskShell;

// Connects the program to a box over ADB's TCP transport and leaves it again.
// Connect runs "adb connect" as the task "进度_连接盒子", which it owns: when
// the shell is back at its prompt, ClassifyConnect shows what came of it, and
// a connected box is recognised.
class Connector : public TaskOwner {
  public:
    // recognize runs after a connection, on the timers' thread: the box's
    // identity (its name, records). Without one the box keeps its tile's name
    // or the default.
    Connector(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
              ProgressEngine& engine, std::function<void()> recognize = {});

    void InterpretResult(TimerId timer) override;
    void TaskLost(TimerId timer) override;

    // User-interface thread. The address may carry the ADB port
    // ("192.168.1.5:5555"), as users copy it from the TV's settings.
    void Connect(const std::string& address, const std::string& mac);
    void Disconnect();
    // A click on a box's tile of the device list.
    void ConnectToTile(const DeviceTile& tile);

    // The results of ClassifyConnect.
    static constexpr std::string_view kConnected = "connected";
    static constexpr std::string_view kUnconnected = "unconnected";

    // Timer thread: reads the connect's output, shows page 3 with the reason
    // or page 4, and returns kConnected or kUnconnected.
    std::string ClassifyConnect();
    // A connect that never ended: shown as an address that answers nothing.
    void ShowConnectTimedOut();

    // What page 4's name label shows for a box without a name of its own.
    static constexpr std::string_view kDefaultBoxName = "智能电视";

    // The last result of ClassifyConnect ("" before the first).
    std::string lastResult() const;

  private:
    // What follows a connection when nobody recognises the box.
    void nameUnnamedBox();
    void setBoxName(const std::string& name);
    void showFailure(std::string_view message);

    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
    const std::function<void()> m_recognize;

    mutable std::mutex m_mutex;
    std::string m_boxName{kDefaultBoxName};  // what page 4's name label shows
    std::string m_lastResult;
};

}  // namespace qvpc
