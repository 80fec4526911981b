#include "adb/attachment_check.h"

#include "adb/task_shell.h"
#include "base/dialogs.h"
#include "base/message_boxes.h"
#include "base/shared_state.h"

namespace qvpc {

bool CheckDeviceAttached(TaskShell& shell, SharedState& state, Dialogs& dialogs,
                         const std::function<void()>& startLanScan) {
    if (shell.IsDeviceAttached(state.currentIp())) {
        return true;
    }
    int answer = dialogs.MsgBox(Question("连接断开", "您的电脑与盒子的连接断开\r\n请重新连接盒子"));
    if (answer == 0 && startLanScan) {
        startLanScan();
    }
    return false;
}

}  // namespace qvpc
