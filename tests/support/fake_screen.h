#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/page_history.h"
#include "base/screen.h"
#include "support/page_printing.h"

namespace qvpc::test {

// A Screen that records what the core shows and answers message boxes from a
// script (the next queued answer, else the first button). No thread plays the
// user interface, so Pause sleeps, unless a test makes one do so.
class FakeScreen : public Screen {
  public:
    struct ShownBox {
        MsgBoxRequest request;
        int answer = 0;
    };

    // Queues the answers of the next message boxes, in order.
    void answerNextBoxes(std::vector<int> answers);

    std::vector<ShownBox> boxes() const;
    std::vector<PageId> pagesShown() const;
    std::string popupMode() const;  // "安装", "下载", "提示" or "" when closed
    std::string popupText() const;
    // Every text the popup's percent label was given, oldest first.
    std::vector<std::string> percentsShown() const;
    std::string busyTitle() const;
    bool busyScreenshotMode() const;
    std::string screenshotPicture() const;
    std::string boxName() const;
    std::vector<std::string> openedUrls() const;
    std::map<int, std::string> catalogTileStates() const;
    // Page 9's grid and pager: the tiles by position, the notice, and the
    // page run last set (page count, selected page).
    std::map<int, CatalogTile> catalogTiles() const;
    std::string catalogNotice() const;
    std::pair<int, int> catalogPages() const;
    // Every popup shown, oldest first, as its mode and text ("下载:正在下载…").
    std::vector<std::string> popupsShown() const;
    // Every value the download bar was given, oldest first.
    std::vector<int> downloadProgress() const;
    std::map<int, int> appRowStates() const;
    // The installed-app list's rows in order, and the counts of "卸载应用"
    // (-1 before any was set) and "升级应用".
    std::vector<InstalledAppRow> appRows() const;
    int uninstallCount() const;
    std::vector<DeviceTile> deviceTiles() const;

    void setSelectedAppRow(std::optional<int> row);
    // Where every row's action button lies (row coordinates).
    void setAppRowButton(RowRect rect);
    void setNotFoundHint(std::string hint);
    void setFileToInstall(std::string path);
    void setSaveFile(std::string path);

    bool ShowPage(PageId page, const std::string& text = {}) override;
    void ShowBusyPage(const BusyPageRequest& request) override;
    PageId currentPage() override;
    void ShowPreviousPage() override;
    int MsgBox(const MsgBoxRequest& request) override;
    int SystemMsgBox(const SystemMsgBoxRequest& request) override;
    void ShowInstalling(const std::string& message, bool closeVisible) override;
    void ShowDownloading(const std::string& targetPath, const std::string& status) override;
    void ShowPrompt(const std::string& message) override;
    void ClosePopup() override;
    std::string percentText() const;
    void setPercentText(const std::string& text) override;
    void setDownloadProgress(int percent) override;
    void setScreenshotPicture(const std::string& pngPath) override;
    std::string notFoundHint() override;
    void setBoxName(const std::string& name) override;
    std::string manualAddress() override;
    void setManualAddress(const std::string& text) override;
    void clearDeviceTiles() override;
    void addDeviceTileInFront(const DeviceTile& tile) override;
    std::optional<int> findDeviceTile(const std::string& address) override;
    std::optional<DeviceTile> deviceTile(int position) override;
    void setDeviceTilePort(int position, int port) override;
    void resetDeviceListScroll() override;
    void setCatalogTileState(int position, const std::string& state) override;
    void clearAppRows() override;
    void addAppRow(const InstalledAppRow& row) override;
    std::optional<InstalledAppRow> appRow(int position) override;
    RowRect appRowButton(int position) override;
    std::optional<int> selectedAppRow() override;
    void setAppRowState(int row, AppRowState state) override;
    int upgradeCount() override;
    void setUpgradeCount(int count) override;
    void setUninstallCount(int count) override;
    void clearCatalogTiles() override;
    void addCatalogTile(int position, const CatalogTile& tile) override;
    std::optional<CatalogTile> catalogTile(int position) override;
    void setCatalogNotice(const std::string& text) override;
    void setCatalogPages(int pageCount, int selectedPage) override;
    std::string chooseFileToInstall(const std::string& title, const std::string& startDir) override;
    std::string chooseSaveFile(const std::string& title, const std::string& startDir,
                               const std::string& filter, int filterIndex) override;
    void openUrl(const std::string& url) override;
    void revealFile(const std::string& path) override;
    void closeMainWindow() override;
    bool programClosing() override { return mainWindowClosed(); }
    // From now on the calling thread plays the user interface: a wait there
    // turns this screen's event loop, as the window's would, and each turn
    // is counted.
    void playUiThread();
    int eventLoopTurns() const;
    bool isUiThread() override;
    void runEventLoopFor(std::chrono::milliseconds duration) override;
    void processPendingEvents() override {}
    // Watched sockets are served by runEventLoopFor, on the thread that runs it.
    int watchSocket(int fd, std::function<void()> onReadable) override;
    void resumeSocketWatch(int id) override;
    void unwatchSocket(int id) override;
    // No thread plays the user interface here: the work runs at once, on the
    // caller's thread.
    void postToUiThread(std::function<void()> work) override;

    bool mainWindowClosed() const;

  private:
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<ShownBox> m_boxes;
    std::vector<PageId> m_pages;
    PageHistory m_history;
    std::string m_notFoundHint;
    std::string m_busyTitle;
    bool m_busyScreenshot = false;
    std::string m_popupMode;
    std::string m_popupText;
    std::string m_percent;
    std::vector<std::string> m_percentsShown;
    std::string m_screenshot;
    std::string m_boxName;
    std::string m_manualAddress = "192.168.0.";
    std::vector<DeviceTile> m_tiles;
    std::map<int, std::string> m_catalogStates;
    std::map<int, CatalogTile> m_catalogTiles;
    std::string m_catalogNotice;
    std::pair<int, int> m_catalogPages{0, 0};
    std::vector<std::string> m_popupsShown;
    std::vector<int> m_downloadProgress;
    std::optional<int> m_selectedRow;
    std::map<int, int> m_rowStates;
    std::vector<InstalledAppRow> m_appRows;
    RowRect m_appRowButton{586, 35, 100, 30};
    int m_upgradeCount = 0;
    int m_uninstallCount = -1;
    std::string m_fileToInstall;
    std::string m_saveFile;
    std::vector<std::string> m_urls;
    bool m_closed = false;
    std::optional<std::thread::id> m_uiThread;
    int m_eventLoopTurns = 0;
    struct SocketWatchEntry {
        int fd = -1;
        std::function<void()> onReadable;
        bool enabled = true;
    };
    std::map<int, SocketWatchEntry> m_sockets;
    int m_lastSocketWatch = 0;
};

}  // namespace qvpc::test
