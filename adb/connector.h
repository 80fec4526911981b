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
// the shell is back at its prompt, ClassifyConnect reads what came of it; a
// connected box is recognised, and then page 4 shows it.
class Connector : public TaskOwner {
  public:
    // recognize runs after a connection, on the timers' thread, before page 4
    // comes and the connect task ends (it reads the box through the shell):
    // the box's identity (its name, records). Without one the box keeps its
    // tile's name or the default. startAdbd runs first when a tile of a box
    // found on port 8090 only is clicked, with its address: the box is asked
    // there to start its ADB daemon.
    Connector(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
              ProgressEngine& engine, std::function<void()> recognize = {},
              std::function<void(const std::string&)> startAdbd = {});

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
    // of a failure, and returns kConnected or kUnconnected.
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
    const std::function<void(const std::string&)> m_startAdbd;

    mutable std::mutex m_mutex;
    std::string m_boxName{kDefaultBoxName};  // what page 4's name label shows
    std::string m_lastResult;
};

}  // namespace qvpc
