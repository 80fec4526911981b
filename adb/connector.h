#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/screen.h"

namespace qvpc {

class Log;
class ProgressEngine;
class SharedState;
class TaskShell;

// Connects the program to a box over ADB's TCP transport and leaves it again.
// Connect runs "adb connect" as the task "进度_连接盒子"; when the shell is back
// at its prompt the result interpretation calls ClassifyConnect, which shows
// what came of it.
class Connector {
  public:
    Connector(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
              ProgressEngine& engine);

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
    // What follows a connection: the box's identity. For now only the name
    // label's default.
    void RecognizeConnectedBox();

    // What page 4's name label shows for a box without a name of its own.
    static constexpr std::string_view kDefaultBoxName = "智能电视";

    // The last result of ClassifyConnect ("" before the first).
    std::string lastResult() const;

  private:
    void setBoxName(const std::string& name);
    void showFailure(std::string_view message);

    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;

    mutable std::mutex m_mutex;
    std::string m_boxName{kDefaultBoxName};  // what page 4's name label shows
    std::string m_lastResult;
};

}  // namespace qvpc
