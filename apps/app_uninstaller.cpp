#include "apps/app_uninstaller.h"

#include "adb/adb_commands.h"
#include "adb/progress_engine.h"
#include "adb/task_names.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "base/shared_state.h"

namespace qvpc {

AppUninstaller::AppUninstaller(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                               ProgressEngine& engine)
    : m_state(state),
      m_shell(shell),
      m_screen(screen),
      m_log(log),
      m_engine(engine),
      m_result(shell, screen, engine) {}

void AppUninstaller::UninstallApp(int position, const InstalledAppRow& row) {
    // A name a box made up is never put on a command line.
    const std::optional<std::string> command =
        adb_commands::Uninstall(m_state.currentIp(), row.packageName);
    if (!command) {
        m_log.WriteLog(log_category::kOperation, "包名不合法,不卸载: " + row.packageName);
        m_screen.MsgBox(Notice("应用卸载失败", "这个应用的包名不合法,不能卸载"));
        return;
    }
    m_log.WriteLog(log_category::kOperation, "卸载应用" + row.packageName);
    m_screen.ShowInstalling("正在卸载 " + row.name + "... ...", false);
    if (!m_engine.StartTask({.progressName = kProgressUninstall,
                             .owner = &m_result,
                             .subject = row.packageName,
                             .extra = std::to_string(position)})) {
        m_screen.ClosePopup();
        return;
    }
    m_shell.SendCommand(*command);
}

}  // namespace qvpc
