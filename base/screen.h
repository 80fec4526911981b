#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qvpc {

// The page numbers of the main window.
enum Page : int {
    kPageBusy = 1,
    kPageDeviceList = 2,
    kPageNotFound = 3,
    kPageHome = 4,
    kPageGuide = 5,
    kPageStart = 6,
    kPageManualIp = 7,
    kPageRemoteInstall = 8,
    kPageAppManagement = 9,
    kPageUnused = 10,
};

// A question or notice for the program's modal message box. An empty
// buttonTexts list means the default texts for the button count.
struct MsgBoxRequest {
    std::string message;
    int buttonCount = 1;
    std::string title;
    std::vector<std::string> buttonTexts;
    int width = 400;
    int height = 240;
    bool dimMainWindow = true;
};

// The toolkit's system-style box: kind chooses the buttons and their codes.
struct SystemMsgBoxRequest {
    std::string message;
    std::string title;  // empty shows the default title "提示："
    int kind = 0;
};

// One tile of the device list: the scan's boxes and the manual-connect tile.
struct DeviceTile {
    std::string image;
    std::string address;
    std::string name;
    std::string buttonText;
    std::string mac;
    int port = 0;

    bool operator==(const DeviceTile&) const = default;
};

// Everything the core asks of the screen. Every operation may be called from
// any thread: the implementation carries it to the user-interface thread and,
// where an answer is needed, blocks the caller until it has one.
class Screen {
  public:
    virtual ~Screen() = default;

    // Navigation.
    virtual bool ShowPage(int page, const std::string& text = {}) = 0;
    virtual void ShowBusyPage(bool enter, bool use, const std::string& title,
                              const std::string& hint, bool screenshot) = 0;
    virtual int currentPage() = 0;

    // Modal boxes; the result is the 0-based button index, -1 when closed otherwise.
    virtual int MsgBox(const MsgBoxRequest& request) = 0;
    virtual int SystemMsgBox(const SystemMsgBoxRequest& request) = 0;

    // The progress popup.
    virtual void ShowInstalling(const std::string& message, bool closeVisible) = 0;
    virtual void ShowDownloading(const std::string& targetPath, const std::string& status) = 0;
    virtual void ShowPrompt(const std::string& message) = 0;
    virtual void ClosePopup() = 0;
    virtual std::string percentText() = 0;
    virtual void setPercentText(const std::string& text) = 0;
    virtual void setDownloadProgress(int percent) = 0;

    // Page 1: the screenshot picture. An empty path clears it.
    virtual void setScreenshotPicture(const std::string& pngPath) = 0;

    // Page 3's hint and page 4's box name label.
    virtual std::string notFoundHint() = 0;
    virtual void setBoxName(const std::string& name) = 0;

    // Page 7's address field.
    virtual std::string manualAddress() = 0;
    virtual void setManualAddress(const std::string& text) = 0;

    // Page 2's device list; positions are 0-based from the front.
    virtual void clearDeviceTiles() = 0;
    virtual void addDeviceTileInFront(const DeviceTile& tile) = 0;
    virtual std::optional<int> findDeviceTile(const std::string& address) = 0;
    virtual std::optional<DeviceTile> deviceTile(int position) = 0;
    virtual void setDeviceTilePort(int position, int port) = 0;
    virtual void resetDeviceListScroll() = 0;

    // Page 9: a catalog tile's state text, the installed-app list's selected
    // row and its state, and the count of the "升级应用" entry.
    virtual void setCatalogTileState(int position, const std::string& state) = 0;
    virtual std::optional<int> selectedAppRow() = 0;
    virtual void setAppRowState(int row, int state) = 0;
    virtual int upgradeCount() = 0;
    virtual void setUpgradeCount(int count) = 0;

    // Dialogs and the desktop. An empty result means the user cancelled.
    virtual std::string chooseFileToInstall(const std::string& title,
                                            const std::string& startDir) = 0;
    virtual std::string chooseSaveFile(const std::string& title, const std::string& startDir,
                                       const std::string& filter, int filterIndex) = 0;
    virtual void openUrl(const std::string& url) = 0;
    virtual void revealFile(const std::string& path) = 0;

    // Closes the main window, which ends the program.
    virtual void closeMainWindow() = 0;
    // Whether the main window has closed: the program is ending, every wait
    // ends at once and nothing more is shown.
    virtual bool programClosing() = 0;

    // The event pump behind Pause: on the user-interface thread a wait keeps
    // the window responsive; elsewhere it is a plain sleep.
    virtual bool isUiThread() = 0;
    virtual void runEventLoopFor(std::chrono::milliseconds duration) = 0;
    virtual void processPendingEvents() = 0;
};

}  // namespace qvpc
