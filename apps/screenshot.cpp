#include "apps/screenshot.h"

#include <filesystem>

#include "adb/adb_commands.h"
#include "adb/attachment_check.h"
#include "adb/progress_engine.h"
#include "adb/task_names.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/png_file.h"
#include "base/screen.h"
#include "base/shared_state.h"

namespace qvpc {
namespace {

constexpr std::string_view kMissingScreenshot = "文件不存在,请重新截图.";

}  // namespace

Screenshot::Screenshot(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                       ProgressEngine& engine, std::function<void()> startLanScan,
                       std::string dataDir)
    : m_state(state),
      m_shell(shell),
      m_screen(screen),
      m_log(log),
      m_engine(engine),
      m_startLanScan(std::move(startLanScan)),
      m_path(PathIn(dataDir)) {}

std::string Screenshot::PathIn(const std::string& dataDir) {
    return dataDir + "/screenshot.png";
}

void Screenshot::TakeScreenshot() {
    // The busy page comes once the capture really starts: entered before the
    // checks it would stay, without a way back, after a refusal.
    if (m_engine.CheckTaskConflict()) {
        return;
    }
    if (!CheckDeviceAttached(m_shell, m_state, m_screen, m_startLanScan)) {
        return;
    }
    m_screen.ShowBusyPage(BusyPageRequest::Enter("正在截屏,请稍后..."));
    m_shell.resetOutput();
    m_shell.ShellStatus();
    // A failed capture must not show a previous picture, the PC's or the box's.
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
    m_shell.SendCommand(adb_commands::RemoveScreenshotOnBox());
    m_shell.SendCommand(adb_commands::Screencap());
    m_shell.SendCommand(adb_commands::PullScreenshot(m_path));
    m_engine.StartTask(kProgressScreenshot);
}

void Screenshot::SaveScreenshotAs() {
    std::error_code ec;
    const std::string target =
        m_screen.chooseSaveFile("保存文件", std::filesystem::current_path(ec).string(),
                                "PNG图片(*.png)|*.png|所有文件(*.*)|*.*", 1);
    if (target.empty()) {
        return;
    }
    // Without a picture there is nothing to save; an empty file under the
    // chosen name would only look like one.
    if (!IsPngFile(m_path)) {
        m_screen.SystemMsgBox(SystemNotice(std::string(kMissingScreenshot)));
        return;
    }
    std::filesystem::copy_file(m_path, target, std::filesystem::copy_options::overwrite_existing,
                               ec);
    if (ec) {
        m_log.WriteLog(log_category::kOperation, "截图另存失败: " + target + ": " + ec.message());
        m_screen.SystemMsgBox(SystemNotice("截图没有保存成功,请换一个位置再试"));
    }
}

void Screenshot::DiscardUnfinished() {
    // A pull that was ended leaves half a file.
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
}

void Screenshot::OpenScreenshotFolder() {
    if (IsPngFile(m_path)) {
        m_screen.revealFile(m_path);
    } else {
        m_screen.SystemMsgBox(SystemNotice(std::string(kMissingScreenshot)));
    }
}

}  // namespace qvpc
