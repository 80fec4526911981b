#include "apps/local_install.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "adb/adb_commands.h"
#include "adb/attachment_check.h"
#include "adb/progress_engine.h"
#include "adb/task_names.h"
#include "adb/task_shell.h"
#include "base/file_names.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "base/shared_state.h"

namespace qvpc {
namespace {

// Pieces between CR LF; an empty piece after the last one does not count.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find("\r\n", from);
        if (end == std::string::npos) {
            pieces.push_back(text.substr(from));
            break;
        }
        pieces.push_back(text.substr(from, end - from));
        from = end + 2;
    }
    return pieces;
}

}  // namespace

LocalInstaller::LocalInstaller(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                               ProgressEngine& engine, std::function<void()> startLanScan,
                               std::string browseDir)
    : m_state(state),
      m_shell(shell),
      m_screen(screen),
      m_log(log),
      m_engine(engine),
      m_result(shell, screen, log, engine),
      m_startLanScan(std::move(startLanScan)),
      m_browseDir(std::move(browseDir)) {}

void LocalInstaller::InstallApk(const std::string& path, const std::string& itemKey) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) {
        m_screen.MsgBox(Notice("应用路径错误", "应用不存在,请检查路径"));
        return;
    }
    // A folder named like an APK, or a file this user may not read, would
    // only reach adb and come back as a lost connection.
    if (FileExtension(path) != ".apk" || !std::filesystem::is_regular_file(path, ec) ||
        ::access(path.c_str(), R_OK) != 0) {
        m_screen.ShowPrompt("不是有效的apk文件");
        return;
    }
    if (m_engine.CheckTaskConflict("安装应用,需要中断操作")) {
        return;
    }
    if (!CheckDeviceAttached(m_shell, m_state, m_screen, m_startLanScan)) {
        return;
    }
    m_shell.resetOutput();
    if (!m_engine.StartTask({.progressName = kProgressInstall,
                             .owner = &m_result,
                             .subject = path,
                             .extra = itemKey})) {
        return;
    }
    m_shell.resetOutput("=");
    m_shell.SendCommand(adb_commands::Install(m_state.currentIp(), path));
}

void LocalInstaller::onDropAreaClick() {
    std::string path = m_screen.chooseFileToInstall("请选择要安装的应用", m_browseDir);
    while (!path.empty() && path.back() == ' ') {
        path.pop_back();
    }
    if (path.empty()) {
        return;
    }
    InstallApk(path, {});
}

void LocalInstaller::onFilesDropped(const std::string& text) {
    m_log.WriteLog(log_category::kMain, text);
    std::vector<std::string> pieces = SplitLines(text);
    if (pieces.size() == 1) {
        InstallApk(pieces.front(), {});
    } else if (pieces.size() > 1) {
        m_screen.ShowPrompt("超过两个文件,请一个一个安装.");
    }
}

}  // namespace qvpc
