#pragma once

#include <QObject>

#include "base/screen.h"
#include "ui/msg_box_presenter.h"
#include "ui/socket_notifiers.h"
#include "ui/ui_thread_gate.h"

namespace qvpc::ui {

class MainWindow;

// The Screen of the core, drawn by the main window. Every operation may be
// called from any thread: on the UI thread it runs at once; from another
// thread it is carried to the UI thread and the caller waits for it (a
// message box until it is answered). Once the window is closed or the
// application is quitting, calls from other threads no longer wait and
// return a neutral value (false, empty, -1).
//
// Create it on the UI thread after the window; it must not outlive the window.
class QtScreen : public Screen {
  public:
    explicit QtScreen(MainWindow& window);
    ~QtScreen() override;

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
    bool programClosing() override;

    bool isUiThread() override;
    void runEventLoopFor(std::chrono::milliseconds duration) override;
    void processPendingEvents() override;
    void postToUiThread(std::function<void()> work) override;

    int watchSocket(int fd, std::function<void()> onReadable) override;
    void resumeSocketWatch(int id) override;
    void unwatchSocket(int id) override;

  private:
    // The window is gone or the program quits: callers stop waiting.
    void closeGate();
    // Shows a box of either kind and waits for its answer.
    int askBox(MsgBoxPresenter::Request request);

    // The work is copied to the UI thread: it must capture values, never
    // references, since a caller may stop waiting while the program ends.
    template <class R, class F>
    R onUi(F&& work, R fallback) {
        return m_gate.call<R>(std::forward<F>(work), std::move(fallback));
    }
    template <class F>
    void onUi(F&& work) {
        m_gate.call(std::function<void()>(std::forward<F>(work)));
    }

    MainWindow& m_window;
    UiThreadGate m_gate;
    QObject m_watch;            // context of the connections that close the gate
    SocketNotifiers m_sockets;  // UI thread only
};

}  // namespace qvpc::ui
