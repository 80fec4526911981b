// The main window: pages and their switch, the busy page, the home page's
// header, the footer, and the dispatcher's rows.
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include "ui/app_management_page.h"
#include "ui/busy_indicator.h"
#include "ui/home_page.h"
#include "ui/installed_app_list.h"
#include "ui/not_found_page.h"
#include "ui/progress_popup.h"
#include "ui/remote_install_page.h"
#include "ui/toolkit/context_menu.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {
namespace {

using MainWindowTest = UiTest;

int VisiblePage(MainWindow& window) {
    int shown = 0;
    for (int n = 1; n <= MainWindow::kPageCount; ++n) {
        if (!window.page(n).isHidden()) {
            EXPECT_EQ(shown, 0) << "pages " << shown << " and " << n << " both visible";
            shown = n;
        }
    }
    return shown;
}

TEST_F(MainWindowTest, OpensOnTheStartPage) {
    EXPECT_EQ(m_window->currentPage(), PageId::Start);
    EXPECT_EQ(VisiblePage(*m_window), 6);
    EXPECT_EQ(m_window->size(), QSize(926, 626));
    EXPECT_EQ(m_window->contentFrame().geometry(), QRect(13, 13, 900, 600));
    EXPECT_TRUE(m_window->shade().isHidden());
    EXPECT_EQ(m_window->shade().geometry(), QRect(0, 42, 900, 558));
}

// Where no compositor shows translucent windows, the shadow's margin would
// be drawn black: the window is then only its frame.
TEST_F(MainWindowTest, WithoutTheShadowTheFrameIsTheWholeWindow) {
    m_window->ShowPage(PageId::Home);
    const QRect shadowed = m_window->contentFrame().geometry();
    const QImage withShadow = m_window->grab(shadowed).toImage();
    const QPoint buttonAt =
        m_window->pageButton(PageButton::Disconnect)->mapTo(&m_window->contentFrame(), QPoint());

    m_window->setDrawsShadow(false);
    EXPECT_FALSE(m_window->drawsShadow());
    EXPECT_EQ(m_window->size(), QSize(900, 600));
    EXPECT_EQ(m_window->contentFrame().geometry(), QRect(0, 0, 900, 600));
    EXPECT_EQ(m_window->pageButton(PageButton::Disconnect)->mapTo(m_window.get(), QPoint()),
              buttonAt);
    const QImage plain = m_window->grab().toImage();
    ASSERT_EQ(plain.size(), withShadow.size());
    // Nothing is transparent, and inside its edge and its corners, which
    // are square now, the window looks as the frame of the shadowed one.
    int transparent = 0;
    int changed = 0;
    const QRect inside = plain.rect().adjusted(1, 1, -1, -1);
    const QRect corners = plain.rect().adjusted(6, 6, -6, -6);
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            transparent += qAlpha(plain.pixel(x, y)) < 255;
            const bool inCorner = (x < corners.left() || x > corners.right()) &&
                                  (y < corners.top() || y > corners.bottom());
            if (inside.contains(x, y) && !inCorner) {
                changed += plain.pixel(x, y) != withShadow.pixel(x, y);
            }
        }
    }
    EXPECT_EQ(transparent, 0);
    EXPECT_EQ(changed, 0);

    m_window->setDrawsShadow(true);
    EXPECT_EQ(m_window->size(), QSize(926, 626));
    EXPECT_EQ(m_window->contentFrame().geometry(), shadowed);
}

TEST_F(MainWindowTest, ShowPageSwitchesAndRemembersThePreviousPage) {
    EXPECT_TRUE(m_window->ShowPage(PageId::DeviceList));
    EXPECT_EQ(VisiblePage(*m_window), 2);
    EXPECT_EQ(m_window->previousPage(), PageId::Start);
    EXPECT_TRUE(m_window->ShowPage(PageId::DeviceList));  // the same page: nothing changes
    EXPECT_EQ(m_window->previousPage(), PageId::Start);
}

TEST_F(MainWindowTest, PageThreeTakesItsTextOnlyWhenSwitchedTo) {
    m_window->ShowPage(PageId::NotFound, QString::fromUtf8("连接失败,请检查盒子"));
    EXPECT_TRUE(m_window->notFoundPage().showsFailure());
    m_window->ShowPage(PageId::NotFound);  // already there: the failure text stays
    EXPECT_EQ(m_window->notFoundPage().hint(), QString::fromUtf8("连接失败,请检查盒子"));

    m_window->ShowPage(PageId::Start);
    m_window->ShowPage(PageId::NotFound);
    EXPECT_FALSE(m_window->notFoundPage().showsFailure());
    EXPECT_EQ(m_window->notFoundPage().hint(), QString::fromUtf8("提示：请连接在同一环境下"));
}

TEST_F(MainWindowTest, OutOfRangePagesAreLoggedAndIgnored) {
    EXPECT_FALSE(m_window->ShowPage(static_cast<PageId>(11)));
    EXPECT_FALSE(m_window->ShowPage(static_cast<PageId>(0)));
    EXPECT_EQ(m_window->currentPage(), PageId::Start);
    EXPECT_EQ(VisiblePage(*m_window), 6);
    const std::vector<std::string> expected(2, "显示页面超出范围,无效.<程_页面当前页>=6");
    EXPECT_EQ(mainLogTexts(), expected);
}

TEST_F(MainWindowTest, BusyPageEntersAndLeaves) {
    BusyPage& busy = m_window->busyPage();
    m_window->ShowBusyPage(BusyPageRequest::Enter("正在连接 192.168.1.20"));
    EXPECT_EQ(m_window->currentPage(), PageId::Busy);
    EXPECT_EQ(m_window->previousPage(), PageId::Start);
    EXPECT_EQ(busy.title(), QString::fromUtf8("正在连接 192.168.1.20"));
    EXPECT_EQ(busy.hint(), QString());
    EXPECT_FALSE(busy.indicator().isHidden());
    EXPECT_TRUE(busy.indicator().isAnimating());
    EXPECT_TRUE(busy.screenshot().isHidden());

    m_window->ShowBusyPage(BusyPageRequest::Leave());
    EXPECT_EQ(m_window->currentPage(), PageId::Start);
    EXPECT_FALSE(busy.indicator().isAnimating());

    m_window->ShowPage(PageId::Home);
    m_window->ShowBusyPage(BusyPageRequest::Enter("正在截屏,请稍后..."));
    m_window->ShowBusyPage(BusyPageRequest::ShowScreenshot());  // the picture replaces the texts
    EXPECT_EQ(m_window->currentPage(), PageId::Busy);
    EXPECT_TRUE(busy.isScreenshotMode());
    EXPECT_TRUE(busy.indicator().isHidden());
}

TEST_F(MainWindowTest, CancelAfterAConnectThatCameToNothingNeverShowsTheBusyPage) {
    m_window->ShowPage(PageId::NotFound);
    m_window->ShowPage(PageId::ManualIp);
    m_window->ShowBusyPage(BusyPageRequest::Enter("正在连接 192.168.1.5"));
    m_window->ShowBusyPage(BusyPageRequest::Leave());
    ASSERT_EQ(VisiblePage(*m_window), 7);
    clickButton(PageButton::CancelManualIp);
    EXPECT_EQ(VisiblePage(*m_window), 3);
}

TEST_F(MainWindowTest, ScreenshotMenuRunsItsActions) {
    m_window->ShowPage(PageId::Home);
    m_window->ShowBusyPage(BusyPageRequest::ShowScreenshot());
    ContextMenu& menu = m_window->busyPage().menu();
    for (const char* item : {"刷新", "另存为", "打开文件夹"}) {
        EXPECT_TRUE(menu.trigger(QString::fromUtf8(item)));
    }
    EXPECT_EQ(m_actions.calls(), (std::vector<std::string>{"takeScreenshot", "saveScreenshotAs",
                                                           "openScreenshotFolder"}));
    EXPECT_TRUE(menu.trigger(QString::fromUtf8("关闭截图")));
    EXPECT_EQ(m_window->currentPage(), PageId::Home);
}

TEST_F(MainWindowTest, TheScreenshotHasAVisibleWayOut) {
    BusyPage& busy = m_window->busyPage();
    ImageButton& close = busy.closeButton();
    m_window->ShowPage(PageId::Home);
    m_window->ShowBusyPage(BusyPageRequest::Enter("正在截屏,请稍后..."));
    EXPECT_TRUE(close.isHidden());

    m_window->ShowBusyPage(BusyPageRequest::ShowScreenshot());
    ASSERT_TRUE(close.isVisible());
    // A small button in the top right corner, over the picture.
    EXPECT_LE(close.width() * close.height(), 40 * 40);
    EXPECT_TRUE(busy.screenshot().geometry().contains(close.geometry()));
    EXPECT_GT(close.x(), busy.width() - 60);
    EXPECT_LT(close.y(), 20);
    EXPECT_EQ(close.toolTip(), QString::fromUtf8("关闭截图"));
    click(&close);
    EXPECT_EQ(m_window->currentPage(), PageId::Home);
    EXPECT_TRUE(m_actions.calls().empty());
}

TEST_F(MainWindowTest, BoxNameSetsTheLabelWidthAndMovesDisconnect) {
    HomePage& home = m_window->homePage();
    ImageButton* disconnect = m_window->pageButton(PageButton::Disconnect);
    EXPECT_EQ(home.boxNameLabel().geometry(), QRect(16, 20, 100, 24));
    EXPECT_EQ(disconnect->geometry(), QRect(182, 12, 90, 40));

    m_screen->setBoxName("智能电视");
    EXPECT_EQ(home.boxNameLabel().width(), 88);
    EXPECT_EQ(disconnect->x(), 170);

    m_screen->setBoxName("MiBOX3");
    EXPECT_EQ(home.boxNameLabel().width(), 9 * 6 + 16);
    EXPECT_EQ(disconnect->x(), 70 + 82);
}

struct DispatchCase {
    PageButton button;
    int page;          // shown before the click
    const char* log;   // "" for none
    const char* call;  // the core call expected, "" for none
    int pageAfter;
};

TEST_F(MainWindowTest, EachButtonLogsThenActs) {
    const DispatchCase cases[] = {
        {PageButton::StartSearch, 6, "立即查找", "startLanScan", 6},
        {PageButton::EnterIp, 3, "输入IP_连接", "", 7},
        {PageButton::Disconnect, 4, "断开连接", "disconnect", 4},
        {PageButton::ScreenshotTile, 4, "", "takeScreenshot", 4},
        {PageButton::MarketTile, 4, "直接安装", "installMarketApp", 4},
        {PageButton::RemoteInstallTile, 4, "远程安装_点击进入", "enterRemoteInstall", 4},
        {PageButton::AppManagementTile, 4, "应用管理_连接成功", "enterAppManagement", 4},
        {PageButton::RemoteInstallBack, 8, "远程安装_返回", "", 4},
        {PageButton::AppManagementBack, 9, "返回_应用管理", "leaveAppManagement", 4},
        {PageButton::NotFoundGuide, 3, "未找到_阿里云", "", 5},
        {PageButton::ManualIpGuide, 7, "手动IP_阿里云", "", 5},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.log);
        m_window->ShowPage(static_cast<PageId>(c.page));
        const std::size_t logsBefore = mainLogTexts().size();
        const std::size_t callsBefore = m_actions.calls().size();
        clickButton(c.button);
        const std::vector<std::string> logs = mainLogTexts();
        const std::vector<std::string> calls = m_actions.calls();
        if (*c.log) {
            ASSERT_EQ(logs.size(), logsBefore + 1);
            EXPECT_EQ(logs.back(), c.log);
        } else {
            EXPECT_EQ(logs.size(), logsBefore);
        }
        if (*c.call) {
            ASSERT_EQ(calls.size(), callsBefore + 1);
            EXPECT_EQ(calls.back(), c.call);
        } else {
            EXPECT_EQ(calls.size(), callsBefore);
        }
        EXPECT_EQ(static_cast<int>(m_window->currentPage()), c.pageAfter);
    }
}

TEST_F(MainWindowTest, BackFromAppManagementRestoresTheCatalogView) {
    m_window->ShowPage(PageId::AppManagement);
    m_window->appManagementPage().showInstalledView();
    clickButton(PageButton::AppManagementBack);
    EXPECT_TRUE(m_window->appManagementPage().isCatalogView());
    EXPECT_TRUE(m_window->appManagementPage().installedList().isHidden());
}

TEST_F(MainWindowTest, TutorialOpensItsPageThenLogs) {
    Config config;
    config.tutorialUrl = "https://tutorial.test/";
    MainWindow window(m_log, config, "1.0.0.1");
    window.setDesktop({[this](const QString& url) { m_openedUrls.push_back(url); }, {}});
    window.ShowPage(PageId::ManualIp);
    click(window.pageButton(PageButton::Tutorial));
    EXPECT_EQ(m_openedUrls, std::vector<QString>{QStringLiteral("https://tutorial.test/")});
    EXPECT_EQ(mainLogTexts(), std::vector<std::string>{"打开网址教程中心"});
}

TEST_F(MainWindowTest, FooterLinksOpenTheirPages) {
    Config config;
    config.fullVersionUrl = "https://full.test/";
    config.forumUrl = "https://forum.test/";
    config.websiteUrl = "https://www.test/";
    config.feedbackGroup = "10001";
    config.feedbackGroupUrl = "https://group.test/10001";
    MainWindow window(m_log, config, "1.0.0.1");
    window.setUserActions(m_actions);
    window.setDesktop({[this](const QString& url) { m_openedUrls.push_back(url); }, {}});
    const std::pair<const char*, const char*> links[] = {
        {"完整版下载", "https://full.test/"},
        {"交流论坛", "https://forum.test/"},
        {"官方网站", "https://www.test/"},
        {"反馈QQ群：10001", "https://group.test/10001"},
    };
    for (const auto& [text, url] : links) {
        TextLabel* link = window.footerLink(QString::fromUtf8(text));
        ASSERT_NE(link, nullptr) << text;
        EXPECT_EQ(link->y(), 574);
        click(link);
        EXPECT_EQ(m_openedUrls.back(), QString::fromUtf8(url));
    }
    click(window.footerLink(QString::fromUtf8("检查更新")));
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"checkForUpdate"});
}

// The built-in defaults are placeholders: no link leads to a page or a group
// that exists.
TEST_F(MainWindowTest, DefaultLinksGoNowhereReal) {
    EXPECT_EQ(m_window->footerLink(QString::fromUtf8("反馈QQ群：")), nullptr);
    for (const char* text : {"完整版下载", "交流论坛", "官方网站"}) {
        click(m_window->footerLink(QString::fromUtf8(text)));
    }
    m_window->ShowPage(PageId::ManualIp);
    clickButton(PageButton::Tutorial);
    ASSERT_EQ(m_openedUrls.size(), 4u);
    for (const QString& url : m_openedUrls) {
        EXPECT_TRUE(QUrl(url).host().endsWith(QStringLiteral(".invalid"))) << url.toStdString();
    }

    Config withGroupOnly;
    withGroupOnly.feedbackGroup = "10001";
    MainWindow window(m_log, withGroupOnly, "1.0.0.1");
    window.setDesktop({[this](const QString& url) { m_openedUrls.push_back(url); }, {}});
    click(window.footerLink(QString::fromUtf8("反馈QQ群：10001")));
    EXPECT_EQ(m_openedUrls.size(), 4u);  // an empty address opens nothing
}

TEST_F(MainWindowTest, RemoteInstallPageReportsClicksAndDrops) {
    m_window->ShowPage(PageId::RemoteInstall);
    TextLabel& area = m_window->remoteInstallPage().dropArea();
    click(&area);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.apk")),
                   QUrl::fromLocalFile(QStringLiteral("/tmp/c.apk"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&area, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&area, &drop);

    EXPECT_EQ(
        m_actions.calls(),
        (std::vector<std::string>{"onDropAreaClick", "onFilesDropped /tmp/a b.apk\r\n/tmp/c.apk"}));
}

TEST_F(MainWindowTest, RemoteInstallPageTakesOnlyLocalFilesWhileDragging) {
    struct Case {
        const char* what;
        QList<QUrl> urls;  // none: a plain text is dragged
        bool accepted;
    };
    const QUrl apk = QUrl::fromLocalFile(QStringLiteral("/tmp/a.apk"));
    const QUrl link(QStringLiteral("https://example.invalid/b.apk"));
    const Case cases[] = {
        {"local files", {apk, QUrl::fromLocalFile(QStringLiteral("/tmp/c.apk"))}, true},
        {"a web link", {link}, false},
        {"a local file and a web link", {apk, link}, false},
        {"plain text", {}, false},
    };
    m_window->ShowPage(PageId::RemoteInstall);
    TextLabel& area = m_window->remoteInstallPage().dropArea();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QMimeData data;
        if (c.urls.isEmpty()) {
            data.setText(QStringLiteral("a.apk"));
        } else {
            data.setUrls(c.urls);
        }
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&area, &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted);
        EXPECT_EQ(area.isDragHovered(), c.accepted);
        QDragMoveEvent move(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&area, &move);
        EXPECT_EQ(move.isAccepted(), c.accepted);
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&area, &leave);
        EXPECT_FALSE(area.isDragHovered());
    }
    EXPECT_TRUE(m_actions.calls().empty());
}

TEST_F(MainWindowTest, PopupCloseButtonAbortsTheBootstrap) {
    m_screen->ShowInstalling("正在安装助手...", true);
    ProgressPopup& popup = m_window->popup();
    ASSERT_TRUE(popup.isOpen());
    EXPECT_FALSE(popup.closeButton().isHidden());
    click(&popup.closeButton());
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"abortCompanionBootstrap"});
    EXPECT_FALSE(popup.isOpen());
    EXPECT_TRUE(popup.closeButton().isHidden());
    EXPECT_TRUE(m_window->body().isEnabled());
}

TEST_F(MainWindowTest, ClosingTheWindowAnnouncesIt) {
    bool closed = false;
    QObject::connect(m_window.get(), &MainWindow::closed, [&] { closed = true; });
    m_screen->closeMainWindow();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(m_window->isVisible());
}

}  // namespace
}  // namespace qvpc::ui::test
