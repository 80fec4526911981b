#pragma once

#include <string>

namespace qvpc {

// The pages of the main window.
enum class PageId : int {
    Busy = 1,  // busy, or the TV's screenshot
    DeviceList = 2,
    NotFound = 3,  // no box found, or the connection failed
    Home = 4,      // the connected box
    Guide = 5,
    Start = 6,
    ManualIp = 7,
    RemoteInstall = 8,
    AppManagement = 9,
    Unused = 10,
};

// What the busy page is asked to do: come forward (with its title and hint,
// or with the screenshot picture instead), or go back to the page it came
// from.
struct BusyPageRequest {
    enum class Action { Enter, Leave };
    Action action = Action::Enter;
    std::string title;
    std::string hint;
    bool screenshot = false;

    static BusyPageRequest Enter(std::string title, std::string hint = {}) {
        return {Action::Enter, std::move(title), std::move(hint), false};
    }
    static BusyPageRequest ShowScreenshot() { return {Action::Enter, {}, {}, true}; }
    static BusyPageRequest Leave() { return {Action::Leave, {}, {}, false}; }
};

// The pages, the switch between them, and the few texts of theirs the core
// reads or writes.
class PageView {
  public:
    virtual ~PageView() = default;

    // False for a page out of range (logged); the same page changes nothing.
    virtual bool ShowPage(PageId page, const std::string& text = {}) = 0;
    virtual void ShowBusyPage(const BusyPageRequest& request) = 0;
    virtual PageId currentPage() = 0;
    // Back to the page shown before the current one (what "取消" does).
    virtual void ShowPreviousPage() = 0;

    // Page 1: the screenshot picture. An empty path clears it.
    virtual void setScreenshotPicture(const std::string& pngPath) = 0;
    // Page 3's hint and page 4's box name label.
    virtual std::string notFoundHint() = 0;
    virtual void setBoxName(const std::string& name) = 0;
    // Page 7's address field.
    virtual std::string manualAddress() = 0;
    virtual void setManualAddress(const std::string& text) = 0;
};

}  // namespace qvpc
