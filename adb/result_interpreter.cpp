#include "adb/result_interpreter.h"

#include <algorithm>
#include <filesystem>

#include "adb/connector.h"
#include "adb/install_outcome.h"
#include "adb/task_names.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/png_file.h"
#include "base/screen.h"
#include "base/shared_state.h"

namespace qvpc {
namespace {

constexpr std::string_view kCatalogDownload = "应用下载";
constexpr std::string_view kUpgrade = "升级应用";

// What the screenshot's second command line, the capture, printed: the text
// between the first and the second prompt of its output.
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

int TilePosition(std::string_view extra) {
    std::size_t open = extra.find('<');
    if (open == std::string_view::npos) {
        return 0;
    }
    std::size_t close = extra.find('>', open + 1);
    std::string_view digits = extra.substr(
        open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || value > 100'000'000) {
            break;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

ResultInterpreter::ResultInterpreter(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                                     ProgressEngine& engine, Connector& connector,
                                     std::string screenshotPath)
    : m_state(state),
      m_shell(shell),
      m_screen(screen),
      m_log(log),
      m_engine(engine),
      m_connector(connector),
      m_screenshotPath(std::move(screenshotPath)) {}

void ResultInterpreter::InterpretResult(TimerId timer) {
    const std::string progress = m_state.currentProgress();
    if (progress == kProgressConnect) {
        interpretConnect(timer);
    } else if (progress == kProgressUninstall) {
        interpretUninstall(timer);
    } else if (progress == kProgressInstall) {
        interpretInstall(timer);
    } else if (progress == kProgressScreenshot) {
        interpretScreenshot(timer);
    }
}

void ResultInterpreter::TaskLost(TimerId timer) {
    const std::string progress = m_state.currentProgress();
    if (progress == kProgressConnect) {
        m_connector.ShowConnectTimedOut();
        m_engine.EndTask(timer);
    } else if (progress == kProgressUninstall) {
        finishUninstall(timer, false);
    } else if (progress == kProgressInstall) {
        m_log.WriteLog(log_category::kTask, m_shell.output());
        finishInstall(timer, ClassifyInstallOutput({}));
    } else if (progress == kProgressScreenshot) {
        finishScreenshot(timer, false);
    } else {
        m_engine.EndTask(timer);
    }
}

bool ResultInterpreter::mayWaitForVerdict(TimerId timer) {
    if (m_waitingTimer != timer) {
        m_waitingTimer = timer;
        m_waitingTicks = 0;
    }
    return ++m_waitingTicks <= kTicksWithoutVerdict;
}

void ResultInterpreter::interpretConnect(TimerId timer) {
    const std::string result = m_connector.ClassifyConnect();
    m_engine.EndTask(timer);
    if (result == Connector::kConnected) {
        m_connector.RecognizeConnectedBox();
    }
}

void ResultInterpreter::interpretUninstall(TimerId timer) {
    const std::string output = WithoutServerNotes(m_shell.output());
    if (ContainsIgnoringCase(output, "Success")) {
        finishUninstall(timer, true);
        return;
    }
    if (!ContainsIgnoringCase(output, "Failure") && mayWaitForVerdict(timer)) {
        return;
    }
    finishUninstall(timer, false);
}

void ResultInterpreter::finishUninstall(TimerId timer, bool succeeded) {
    if (succeeded) {
        if (std::optional<int> row = m_screen.selectedAppRow()) {
            m_screen.setAppRowState(*row, AppRowState::Done);
        }
    }
    m_engine.EndTask(timer);
    m_screen.ClosePopup();
    if (!succeeded) {
        m_screen.MsgBox(Notice("应用卸载失败", "应用没有卸载成功,请检查盒子的连接后再试一次"));
    }
}

void ResultInterpreter::interpretInstall(TimerId timer) {
    const std::string output = m_shell.output();
    m_log.WriteLog(log_category::kTask, output);
    InstallOutcome outcome = ClassifyInstallOutput(output, m_engine.taskSubject());
    if (outcome.kind == InstallOutcome::Kind::Transferring) {
        if (mayWaitForVerdict(timer)) {
            return;
        }
        outcome = ClassifyInstallOutput({});
    }
    finishInstall(timer, outcome);
}

void ResultInterpreter::finishInstall(TimerId timer, const InstallOutcome& outcome) {
    const std::string extra = m_state.taskExtra();
    const bool fromCatalog = extra.find(kCatalogDownload) != std::string::npos;

    if (outcome.kind == InstallOutcome::Kind::Success) {
        m_log.WriteLog(log_category::kTask, "应用安装成功");
        m_log.WriteLog(log_category::kTask, m_shell.output());
        m_engine.EndTask(timer, true);
        if (fromCatalog) {
            m_screen.setCatalogTileState(TilePosition(extra), "已安装");
        } else if (extra.find(kUpgrade) != std::string::npos) {
            if (std::optional<int> row = m_screen.selectedAppRow()) {
                m_screen.setAppRowState(*row, AppRowState::Done);
            }
            m_screen.setUpgradeCount(std::max(m_screen.upgradeCount() - 1, 0));
        }
        m_screen.ShowPrompt("应用安装成功");
        return;
    }

    m_log.WriteLog(log_category::kTask, m_shell.output());
    m_engine.EndTask(timer, true);
    m_screen.ClosePopup();
    const MsgBoxRequest box = Notice(std::string(outcome.title), std::string(outcome.text));
    // For a missing SD card the tile offers the installation again while the
    // message is still open.
    if (outcome.row == 2 && fromCatalog) {
        m_screen.setCatalogTileState(TilePosition(extra), "安装");
    }
    m_screen.MsgBox(box);
    if (outcome.row != 2 && fromCatalog) {
        m_screen.setCatalogTileState(TilePosition(extra), "安装");
    }
}

void ResultInterpreter::interpretScreenshot(TimerId timer) {
    // The box's old capture was removed before this one, so a failed capture
    // leaves no picture to pull; a box that could not remove it still says
    // that its capture failed (screencap prints nothing when it succeeds).
    const std::string capture = CaptureOutput(m_shell.output(), m_shell.prompt());
    const bool captureFailed =
        ContainsIgnoringCase(capture, "error") || ContainsIgnoringCase(capture, "not found");
    finishScreenshot(timer, !captureFailed && IsPngFile(m_screenshotPath));
}

void ResultInterpreter::finishScreenshot(TimerId timer, bool captured) {
    if (captured) {
        m_screen.setScreenshotPicture(m_screenshotPath);
        m_screen.ShowBusyPage(BusyPageRequest::ShowScreenshot());
    } else {
        // Whatever lies there (half a pull, an old picture) is not this capture.
        std::error_code ec;
        std::filesystem::remove(m_screenshotPath, ec);
        m_screen.MsgBox(Notice("故障", "什么牌子的盒子啊,到群里问问吧"));
        m_screen.setScreenshotPicture({});
        m_screen.ShowBusyPage(BusyPageRequest::Leave());
    }
    m_engine.EndTask(timer, true);
}

}  // namespace qvpc
