#pragma once

#include <functional>

namespace qvpc {

class Dialogs;
class SharedState;
class TaskShell;

// The check every operation on the box makes after the conflict prompt:
// whether the ADB server still lists the current box. When it does not, the
// "连接断开" question, whose confirmation starts a search of the LAN.
bool CheckDeviceAttached(TaskShell& shell, SharedState& state, Dialogs& dialogs,
                         const std::function<void()>& startLanScan);

}  // namespace qvpc
