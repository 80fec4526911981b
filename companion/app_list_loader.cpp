#include "companion/app_list_loader.h"

#include "adb/attachment_check.h"
#include "adb/progress_engine.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "base/shared_state.h"
#include "companion/companion_query.h"

namespace qvpc {
namespace {

constexpr std::chrono::milliseconds kListPoll{1000};
constexpr std::string_view kFailed = "助手初始化失败,请重试";

}  // namespace

AppListLoader::AppListLoader(Needs needs) : m_needs(std::move(needs)) {}

void AppListLoader::LoadInstalledApps() {
    Screen& screen = m_needs.screen;
    screen.clearAppRows();
    screen.ShowPage(PageId::AppManagement);
    screen.ShowInstalling("正在拉取数据... ...", false);
    m_needs.bootstrap.clearAbort();
    if (m_needs.engine.CheckTaskConflict("载入卸载,需要中断操作") ||
        !CheckDeviceAttached(m_needs.shell, m_needs.state, screen, m_needs.startLanScan)) {
        leave();
        return;
    }
    m_needs.shell.resetOutput();
    const bool listed = m_needs.listWithoutCompanion
                            ? listThroughAdb()
                            : m_needs.bootstrap.BootstrapCompanion() != "-1" && pollList();
    if (!listed) {
        screen.ClosePopup();
        if (!m_needs.bootstrap.aborted()) {
            screen.MsgBox(Notice({}, std::string(kFailed)));
        }
        screen.ShowPreviousPage();
        return;
    }
    screen.ClosePopup();
    if (m_needs.buildInstalledList) {
        m_needs.buildInstalledList();
    }
}

bool AppListLoader::pollList() {
    const auto deadline = std::chrono::steady_clock::now() + kListLimit;
    for (;;) {
        m_needs.screen.processPendingEvents();
        const std::string reply = m_needs.query(kGetList, 1);
        setLastListReply(reply);
        m_needs.log.WriteLog(log_category::kOperation, "循环等待vad返回" + reply);
        if (!reply.empty() && reply.find("server is running") == std::string::npos) {
            return true;
        }
        if (m_needs.bootstrap.aborted()) {
            m_needs.log.WriteLog(log_category::kTask, "手动跳出");
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline || m_needs.screen.programClosing()) {
            m_needs.log.WriteLog(log_category::kTask, "等待助手应用列表超时");
            return false;
        }
        m_needs.shell.Pause(kListPoll);
    }
}

bool AppListLoader::listThroughAdb() {
    std::optional<std::string> reply = m_needs.listWithoutCompanion();
    if (!reply) {
        m_needs.log.WriteLog(log_category::kTask, "通过adb读取应用列表失败");
        return false;
    }
    setLastListReply(std::move(*reply));
    return true;
}

void AppListLoader::setLastListReply(std::string reply) {
    std::lock_guard lock(m_mutex);
    m_lastListReply = std::move(reply);
}

void AppListLoader::leave() {
    m_needs.screen.ShowPreviousPage();
    m_needs.screen.ClosePopup();
}

std::string AppListLoader::lastListReply() const {
    std::lock_guard lock(m_mutex);
    return m_lastListReply;
}

void AppListLoader::clearLastListReply() {
    std::lock_guard lock(m_mutex);
    m_lastListReply.clear();
}

}  // namespace qvpc
