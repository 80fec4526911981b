#include "apps/uninstall_result.h"

#include <cstdlib>

#include "adb/adb_output.h"
#include "adb/progress_engine.h"
#include "adb/task_shell.h"
#include "base/message_boxes.h"
#include "base/screen.h"

namespace qvpc {

UninstallResult::UninstallResult(TaskShell& shell, Screen& screen, ProgressEngine& engine)
    : m_shell(shell), m_screen(screen), m_engine(engine) {}

void UninstallResult::InterpretResult(TimerId timer) {
    const std::string output = WithoutServerNotes(m_shell.output());
    if (ContainsIgnoringCase(output, "Success")) {
        finish(timer, true);
        return;
    }
    if (!ContainsIgnoringCase(output, "Failure") && m_engine.mayWaitForVerdict(timer)) {
        return;
    }
    finish(timer, false);
}

void UninstallResult::TaskLost(TimerId timer) {
    finish(timer, false);
}

void UninstallResult::finish(TimerId timer, bool succeeded) {
    if (succeeded) {
        // The row the uninstall was started from, if the list still shows
        // that package there.
        const int position = std::atoi(m_engine.taskExtra().c_str());
        const std::optional<InstalledAppRow> row = m_screen.appRow(position);
        if (row && row->packageName == m_engine.taskSubject()) {
            m_screen.setAppRowState(position, AppRowState::Done);
        }
    }
    m_engine.EndTask(timer);
    m_screen.ClosePopup();
    if (!succeeded) {
        m_screen.MsgBox(Notice("应用卸载失败", "应用没有卸载成功,请检查盒子的连接后再试一次"));
    }
}

}  // namespace qvpc
