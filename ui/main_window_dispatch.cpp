// The window's button dispatcher: one row per button, with the text it
// writes to the log (category 主进程) and what it does.
#include "base/log.h"
#include "ui/app_management_page.h"
#include "ui/catalog_left_list.h"
#include "ui/guide_page.h"
#include "ui/main_window.h"
#include "ui/manual_ip_page.h"
#include "ui/not_found_page.h"
#include "ui/progress_popup.h"
#include "ui/toolkit/image_button.h"

namespace qvpc::ui {

void MainWindow::OnPageButtonClick(PageButton id) {
    enum class When { Before, After };
    struct Row {
        PageButton id;
        const char* log;  // null: no record
        When when;
        void (*action)(MainWindow&);
    };
    static constexpr Row kRows[] = {
        {PageButton::StartSearch, "立即查找", When::Before,
         [](MainWindow& w) { w.m_actions->startLanScan(); }},
        {PageButton::Retry, "再试一次", When::Before, [](MainWindow& w) { w.retry(); }},
        {PageButton::EnterIp, "输入IP_连接", When::Before,
         [](MainWindow& w) { w.ShowPage(PageId::ManualIp); }},
        {PageButton::Disconnect, "断开连接", When::Before,
         [](MainWindow& w) { w.m_actions->disconnect(); }},
        {PageButton::ScreenshotTile, nullptr, When::Before,
         [](MainWindow& w) { w.m_actions->takeScreenshot(); }},
        {PageButton::MarketTile, "直接安装", When::Before,
         [](MainWindow& w) { w.m_actions->installMarketApp(); }},
        {PageButton::ConnectTypedIp, "手动IP_连接", When::Before,
         [](MainWindow& w) { w.connectTypedAddress(); }},
        {PageButton::CancelManualIp, "手动IP_取消", When::Before,
         [](MainWindow& w) { w.ShowPage(w.previousPage()); }},
        {PageButton::RemoteInstallBack, "远程安装_返回", When::Before,
         [](MainWindow& w) { w.ShowPage(PageId::Home); }},
        {PageButton::RemoteInstallTile, "远程安装_点击进入", When::Before,
         [](MainWindow& w) { w.m_actions->enterRemoteInstall(); }},
        {PageButton::GuidePrevious, nullptr, When::Before,
         [](MainWindow& w) { w.m_guide->previous(); }},
        {PageButton::GuideNext, nullptr, When::Before, [](MainWindow& w) { w.m_guide->next(); }},
        // Logs "下一步" or "设置完成,继续连接" itself, after reading the button.
        {PageButton::GuideNextOrFinish, nullptr, When::Before,
         [](MainWindow& w) { w.nextOrFinishGuide(); }},
        {PageButton::Tutorial, "打开网址教程中心", When::After,
         [](MainWindow& w) { w.openUrl(QString::fromStdString(w.m_config.tutorialUrl)); }},
        {PageButton::NotFoundGuide, "未找到_阿里云", When::Before,
         [](MainWindow& w) { w.ShowPage(PageId::Guide); }},
        {PageButton::ManualIpGuide, "手动IP_阿里云", When::Before,
         [](MainWindow& w) { w.ShowPage(PageId::Guide); }},
        {PageButton::GuideBack, nullptr, When::Before, [](MainWindow& w) { w.leaveGuide(); }},
        {PageButton::AppManagementTile, "应用管理_连接成功", When::Before,
         [](MainWindow& w) {
             // The entry shows the first category.
             w.m_appManagement->showCatalogView();
             w.m_appManagement->leftList().selectCategory(0);
             w.m_actions->enterAppManagement();
         }},
        {PageButton::AppManagementBack, "返回_应用管理", When::Before,
         [](MainWindow& w) {
             w.ShowPage(PageId::Home);
             w.m_appManagement->showCatalogView();
             w.m_actions->leaveAppManagement();
         }},
        {PageButton::PopupClose, nullptr, When::Before,
         [](MainWindow& w) { w.closePopupFromButton(); }},
    };
    for (const Row& row : kRows) {
        if (row.id != id) {
            continue;
        }
        if (row.log && row.when == When::Before) {
            writeLog(row.log);
        }
        row.action(*this);
        if (row.log && row.when == When::After) {
            writeLog(row.log);
        }
        return;
    }
}

void MainWindow::retry() {
    // The hint tells the two failures apart: a scan that found nothing leaves
    // the default hint, a failed connection its own text.
    if (m_notFound->hint() == NotFoundPage::defaultHint()) {
        m_actions->startLanScan();
    } else {
        m_actions->retryConnect();
    }
}

void MainWindow::connectTypedAddress() {
    m_actions->connectTypedAddress(m_manualIp->address().toStdString());
}

void MainWindow::nextOrFinishGuide() {
    if (m_guide->nextButtonText() == GuidePage::nextText()) {
        writeLog("下一步");
        m_guide->next();
        return;
    }
    writeLog("设置完成,继续连接");
    m_guide->reset();
    m_actions->finishGuide();
}

void MainWindow::leaveGuide() {
    m_guide->reset();
    ShowPage(previousPage());
}

void MainWindow::closePopupFromButton() {
    m_actions->abortCompanionBootstrap();
    m_popup->closeButton().hide();
    m_popup->ClosePopup();
}

void MainWindow::onScreenshotMenu(BusyPage::MenuItem item) {
    switch (item) {
        case BusyPage::MenuItem::Refresh:
            m_actions->takeScreenshot();
            break;
        case BusyPage::MenuItem::SaveAs:
            m_actions->saveScreenshotAs();
            break;
        case BusyPage::MenuItem::OpenFolder:
            m_actions->openScreenshotFolder();
            break;
        case BusyPage::MenuItem::Close:
            ShowPage(PageId::Home);
            break;
    }
}

}  // namespace qvpc::ui
