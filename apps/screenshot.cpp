#include "apps/screenshot.h"

#include <filesystem>

#include "adb/adb_commands.h"
#include "adb/adb_output.h"
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

// What the capture command line printed: the text between the first and the
// second prompt of the task's output (the box's old picture is removed
// before it, the pull comes after it).
std::string CaptureOutput(const std::string& output, const std::string& prompt) {
    const std::string separator = "\r\n" + prompt;
    const std::size_t first = output.find(separator);
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t from = first + separator.size();
    const std::size_t second = output.find(separator, from);
    return WithoutServerNotes(
        output.substr(from, second == std::string::npos ? std::string::npos : second - from));
}

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
    m_engine.StartTask({.progressName = kProgressScreenshot, .owner = this});
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

void Screenshot::InterpretResult(TimerId timer) {
    // The box's old capture was removed before this one, so a failed capture
    // leaves no picture to pull; a box that could not remove it still says
    // that its capture failed (screencap prints nothing when it succeeds).
    const std::string capture = CaptureOutput(m_shell.output(), m_shell.prompt());
    const bool captureFailed =
        ContainsIgnoringCase(capture, "error") || ContainsIgnoringCase(capture, "not found");
    finish(timer, !captureFailed && IsPngFile(m_path));
}

void Screenshot::TaskLost(TimerId timer) {
    finish(timer, false);
}

void Screenshot::TaskStopped() {
    // A pull that was ended leaves half a file.
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
}

void Screenshot::finish(TimerId timer, bool captured) {
    if (captured) {
        m_screen.setScreenshotPicture(m_path);
        m_screen.ShowBusyPage(BusyPageRequest::ShowScreenshot());
    } else {
        // Whatever lies there (half a pull, an old picture) is not this capture.
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
        m_screen.MsgBox(Notice("故障", "什么牌子的盒子啊,到群里问问吧"));
        m_screen.setScreenshotPicture({});
        m_screen.ShowBusyPage(BusyPageRequest::Leave());
    }
    m_engine.EndTask(timer, true);
}

void Screenshot::OpenScreenshotFolder() {
    if (IsPngFile(m_path)) {
        m_screen.revealFile(m_path);
    } else {
        m_screen.SystemMsgBox(SystemNotice(std::string(kMissingScreenshot)));
    }
}

}  // namespace qvpc
