#include "apps/install_result.h"

#include <algorithm>

#include "adb/install_outcome.h"
#include "adb/progress_engine.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/screen.h"

namespace qvpc {
namespace {

// What an installation's extra text says it was for.
constexpr std::string_view kCatalogDownload = "应用下载";
constexpr std::string_view kUpgrade = "升级应用";
// The action of an upgrade row of the installed-app list.
constexpr std::string_view kUpgradeAction = "更新";

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

InstallResult::InstallResult(TaskShell& shell, Screen& screen, Log& log, ProgressEngine& engine)
    : m_shell(shell), m_screen(screen), m_log(log), m_engine(engine) {}

void InstallResult::InterpretResult(TimerId timer) {
    const std::string output = m_shell.output();
    m_log.WriteLog(log_category::kTask, output);
    InstallOutcome outcome = ClassifyInstallOutput(output, m_engine.taskSubject());
    if (outcome.kind == InstallOutcome::Kind::Transferring) {
        if (m_engine.mayWaitForVerdict(timer)) {
            return;
        }
        outcome = ClassifyInstallOutput({});
    }
    finish(timer, outcome);
}

void InstallResult::TaskLost(TimerId timer) {
    m_log.WriteLog(log_category::kTask, m_shell.output());
    finish(timer, ClassifyInstallOutput({}));
}

void InstallResult::finish(TimerId timer, const InstallOutcome& outcome) {
    const std::string extra = m_engine.taskExtra();
    const bool fromCatalog = extra.find(kCatalogDownload) != std::string::npos;

    if (outcome.kind == InstallOutcome::Kind::Success) {
        m_log.WriteLog(log_category::kTask, "应用安装成功");
        m_log.WriteLog(log_category::kTask, m_shell.output());
        m_engine.EndTask(timer, true);
        if (fromCatalog) {
            m_screen.setCatalogTileState(TilePosition(extra), "已安装");
        } else if (extra.find(kUpgrade) != std::string::npos) {
            // The row the download was started from, named in its title: the
            // user may have clicked others while it downloaded. A list shown
            // anew meanwhile holds no upgrade row there, or another one.
            const int position = TilePosition(extra);
            if (const std::optional<InstalledAppRow> row = m_screen.appRow(position);
                row && row->action == kUpgradeAction && row->state == AppRowState::Normal) {
                m_screen.setAppRowState(position, AppRowState::Done);
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
    const bool tileFirst = outcome.row == InstallOutcome::kMediaUnavailableRow;
    if (tileFirst && fromCatalog) {
        m_screen.setCatalogTileState(TilePosition(extra), "安装");
    }
    m_screen.MsgBox(box);
    if (!tileFirst && fromCatalog) {
        m_screen.setCatalogTileState(TilePosition(extra), "安装");
    }
}

}  // namespace qvpc
