#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "base/config.h"
#include "base/page_history.h"
#include "base/page_view.h"
#include "base/user_actions.h"
#include "ui/busy_page.h"
#include "ui/page_button.h"

namespace qvpc {
class Log;
}

namespace qvpc::ui {

class AppManagementPage;
class DeviceListPage;
class GuidePage;
class HomePage;
class ImageButton;
class ManualIpPage;
class MsgBoxPresenter;
class NotFoundPage;
class PageContainer;
class ProgressPopup;
class RemoteInstallPage;
class StartPage;
class TextLabel;

// The program's one window: borderless and translucent, 926 × 626 with a
// drawn 13-pixel shadow around its 900 × 600 content frame, or where nothing
// composites translucent windows just the frame, 900 × 600. The frame holds the
// title band's buttons and the body: ten pages (one visible at a time), the
// footer links and the shade overlay. A popup or a box blocks the body; the
// title band's minimise and close buttons keep working. Every member runs on the user-interface
// thread; QtScreen carries the core's calls here.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kShadowMargin = 13;
    static constexpr QSize kWindowSize{926, 626};  // with the shadow
    static constexpr QSize kFrameSize{900, 600};
    static constexpr int kPageCount = 10;

    // The desktop services the window uses; tests replace them.
    struct Desktop {
        std::function<void(const QString& url)> openUrl;
        std::function<void(const QString& path)> revealFile;
    };

    MainWindow(Log& log, const Config& config, std::string programVersion,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The core behind the pages' buttons; until it is set, clicks only log.
    void setUserActions(UserActions& actions);

    // With the shadow the window is kWindowSize and the frame sits in its
    // margin; without, the frame is the whole window. The window chooses
    // by itself when made: the shadow only where translucent windows show.
    void setDrawsShadow(bool shadow);
    bool drawsShadow() const;
    void setDesktop(Desktop desktop);

    // A second start of the program asks the first one to come forward.
    void raiseFromAnotherStart();

    // Navigation.
    // False for a page out of range, which is logged and changes nothing.
    bool ShowPage(PageId page, const QString& text = {});
    void ShowBusyPage(const BusyPageRequest& request);
    PageId currentPage() const { return static_cast<PageId>(m_history.current()); }
    PageId previousPage() const { return static_cast<PageId>(m_history.previous()); }

    // The single handler of the pages' buttons and the popup's close button:
    // it writes the button's log record, then acts.
    void OnPageButtonClick(PageButton id);
    // Page 2: the click on the tile at this position.
    void onTileClicked(int position);

    // The shade overlay over pages and footer, for message boxes and the popup.
    enum class ShadeReason { MessageBox = 1, Popup = 2 };
    void setShade(ShadeReason reason, bool on);
    bool isShaded() const;
    QWidget& shade() { return *m_shade; }

    void openUrl(const QString& url);
    void revealFile(const QString& path);

    // The parts, for QtScreen and tests.
    QWidget& contentFrame() { return *m_frame; }
    QWidget& body() { return *m_body; }
    ImageButton& minimiseButton() { return *m_minimise; }
    ImageButton& closeButton() { return *m_close; }
    PageContainer& page(int number) { return *m_pages.at(number - 1); }
    PageContainer& page(PageId id) { return page(static_cast<int>(id)); }
    BusyPage& busyPage() { return *m_busy; }
    DeviceListPage& deviceListPage() { return *m_deviceList; }
    NotFoundPage& notFoundPage() { return *m_notFound; }
    HomePage& homePage() { return *m_home; }
    GuidePage& guidePage() { return *m_guide; }
    StartPage& startPage() { return *m_start; }
    ManualIpPage& manualIpPage() { return *m_manualIp; }
    RemoteInstallPage& remoteInstallPage() { return *m_remoteInstall; }
    AppManagementPage& appManagementPage() { return *m_appManagement; }
    MsgBoxPresenter& msgBoxes() { return *m_msgBoxes; }
    ProgressPopup& popup() { return *m_popup; }
    ImageButton* pageButton(PageButton id) const;
    TextLabel* footerLink(const QString& text) const;

  signals:
    // The window was closed; the program shuts down.
    void closed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildTitleBar();
    void buildFooter();
    void buildPages();
    // Page 9's left list, grid, pager and installed-app list to the core.
    void connectCatalog();
    void switchPage(int from, int to);
    void writeLog(const char* text);

    // The actions of the dispatcher's rows.
    void connectTypedAddress();
    void retry();
    void nextOrFinishGuide();
    void leaveGuide();
    void closePopupFromButton();
    void onScreenshotMenu(BusyPage::MenuItem item);

    Log& m_log;
    Config m_config;
    QString m_programName;
    QString m_versionText;
    UserActions m_noActions;
    UserActions* m_actions = &m_noActions;
    Desktop m_desktop;

    QWidget* m_frame;
    QWidget* m_body;
    ImageButton* m_minimise = nullptr;
    ImageButton* m_close = nullptr;
    std::array<PageContainer*, kPageCount> m_pages{};
    BusyPage* m_busy = nullptr;
    DeviceListPage* m_deviceList = nullptr;
    NotFoundPage* m_notFound = nullptr;
    HomePage* m_home = nullptr;
    GuidePage* m_guide = nullptr;
    StartPage* m_start = nullptr;
    ManualIpPage* m_manualIp = nullptr;
    RemoteInstallPage* m_remoteInstall = nullptr;
    AppManagementPage* m_appManagement = nullptr;
    QWidget* m_shade = nullptr;
    int m_shadeReasons = 0;
    MsgBoxPresenter* m_msgBoxes = nullptr;
    ProgressPopup* m_popup = nullptr;

    PageHistory m_history;
};

}  // namespace qvpc::ui
