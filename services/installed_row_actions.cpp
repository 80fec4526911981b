#include "services/installed_row_actions.h"

#include "apps/app_uninstaller.h"
#include "base/file_names.h"
#include "base/log.h"
#include "base/screen.h"
#include "services/downloader.h"

namespace qvpc {
namespace {

constexpr std::string_view kUninstall = "卸载";
constexpr std::string_view kUpgrade = "更新";

}  // namespace

InstalledRowActions::InstalledRowActions(AppUninstaller& uninstaller, Downloader& downloader,
                                         Screen& screen, Log& log, std::string tempDir)
    : m_uninstaller(uninstaller),
      m_downloader(downloader),
      m_screen(screen),
      m_log(log),
      m_tempDir(std::move(tempDir)) {}

void InstalledRowActions::onInstalledRowClick(int position, int x, int y) {
    const std::optional<InstalledAppRow> row = m_screen.appRow(position);
    // A finished row has no button any more, only its "完成!".
    if (!row || row->state == AppRowState::Done ||
        !PointInRect(m_screen.appRowButton(position), x, y)) {
        return;
    }
    if (row->action == kUninstall) {
        m_uninstaller.UninstallApp(position, *row);
    } else if (row->action == kUpgrade) {
        upgrade(position, row->name, row->downloadUrl);
    }
}

void InstalledRowActions::upgrade(int position, const std::string& name, const std::string& url) {
    m_log.WriteLog(log_category::kMain, "更新应用" + name);
    const std::string target = m_tempDir + ApkFileName(name);
    // The popup first: a download that cannot even start says so in it.
    m_screen.ShowDownloading(target, "正在下载");
    m_downloader.start(url, target, "升级应用<" + std::to_string(position) + ">");
}

}  // namespace qvpc
