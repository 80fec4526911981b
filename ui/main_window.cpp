#include "ui/main_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QWindow>

#include "base/log.h"
#include "ui/app_management_page.h"
#include "ui/desktop.h"
#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/guide_page.h"
#include "ui/home_page.h"
#include "ui/manual_ip_page.h"
#include "ui/msg_box_presenter.h"
#include "ui/not_found_page.h"
#include "ui/pictures.h"
#include "ui/progress_popup.h"
#include "ui/remote_install_page.h"
#include "ui/start_page.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/skin_font.h"
#include "ui/toolkit/text_label.h"
#include "ui/toolkit/window_translucency.h"

namespace qvpc::ui {
namespace {

constexpr int kTitleBandHeight = 42;
constexpr QRect kShadeGeometry{0, 42, 900, 558};
// In coordinates of the window with its shadow; they move with the frame.
constexpr QRect kProgramNameBox{27, 23, 600, 22};
constexpr QRect kVersionBox{27, 588, 130, 18};

// A plain child that fills itself with black at alpha 76 of 255.
class Shade : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 76));
    }
};

}  // namespace

MainWindow::MainWindow(Log& log, const Config& config, std::string programVersion, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_log(log),
      m_config(config),
      m_programName(QString::fromStdString(config.programName)),
      m_versionText(QString::fromUtf8("当前版本 ") + QString::fromStdString(programVersion)),
      m_desktop{&OpenUrlInBrowser, &RevealInFileManager},
      m_frame(new QWidget(this)),
      m_body(new QWidget(m_frame)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("qvpc"));
    QIcon icon;
    for (int side : {16, 32, 64, 128}) {
        icon.addPixmap(pictures::AppIcon().pixmap(QSize(side, side), 1));
    }
    setWindowIcon(icon);
    m_frame->resize(kFrameSize);
    m_body->setGeometry(m_frame->rect());
    setDrawsShadow(TranslucentWindowsShow());
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    buildTitleBar();
    buildFooter();
    buildPages();
    ShowPage(PageId::Start);

    // Made after the pages, so it lies above every one of them.
    m_shade = new Shade(m_body);
    m_shade->setGeometry(kShadeGeometry);
    m_shade->hide();

    m_msgBoxes = new MsgBoxPresenter({this,
                                      [this] { m_popup->ClosePopup(); },
                                      [this](bool on) { setShade(ShadeReason::MessageBox, on); },
                                      {m_minimise, m_close}},
                                     this);
    m_popup = new ProgressPopup(this, [this](bool open) {
        m_body->setEnabled(!open);
        setShade(ShadeReason::Popup, open);
    });
    connect(m_popup, &ProgressPopup::closeClicked, this,
            [this] { OnPageButtonClick(PageButton::PopupClose); });
}

MainWindow::~MainWindow() = default;

void MainWindow::setDrawsShadow(bool shadow) {
    const int margin = shadow ? kShadowMargin : 0;
    setFixedSize(kFrameSize + QSize(2 * margin, 2 * margin));
    m_frame->move(margin, margin);
    update();
}

bool MainWindow::drawsShadow() const {
    return m_frame->x() > 0;
}

void MainWindow::setUserActions(UserActions& actions) {
    m_actions = &actions;
}

void MainWindow::setDesktop(Desktop desktop) {
    m_desktop = std::move(desktop);
}

void MainWindow::raiseFromAnotherStart() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::buildTitleBar() {
    // Children of the frame, not of the body, and made after it: they lie
    // above the body and keep working while a popup or a box blocks it.
    m_minimise = new ImageButton({}, pictures::TitleBarButton(false), m_frame);
    m_minimise->setGeometry(900 - 2 * 44, 0, 44, kTitleBandHeight);
    m_minimise->setToolTip(QString::fromUtf8("最小化"));
    connect(m_minimise, &ImageButton::clicked, this, &QWidget::showMinimized);
    m_close = new ImageButton({}, pictures::TitleBarButton(true), m_frame);
    m_close->setGeometry(900 - 44, 0, 44, kTitleBandHeight);
    m_close->setToolTip(QString::fromUtf8("关闭"));
    connect(m_close, &ImageButton::clicked, this, &QWidget::close);
}

void MainWindow::buildFooter() {
    struct Link {
        QString text;
        int x;
        int width;
        std::function<void()> action;
        bool shown = true;
    };
    const Link links[] = {
        {QString::fromUtf8("检查更新"), 148, 100, [this] { m_actions->checkForUpdate(); }},
        {QString::fromUtf8("完整版下载"), 495, 100,
         [this] { openUrl(QString::fromStdString(m_config.fullVersionUrl)); }},
        {QString::fromUtf8("交流论坛"), 580, 100,
         [this] { openUrl(QString::fromStdString(m_config.forumUrl)); }},
        {QString::fromUtf8("官方网站"), 650, 100,
         [this] { openUrl(QString::fromStdString(m_config.websiteUrl)); }},
        {QString::fromUtf8("反馈QQ群：") + QString::fromStdString(m_config.feedbackGroup), 730, 165,
         [this] { openUrl(QString::fromStdString(m_config.feedbackGroupUrl)); },
         // A feedback link that names no group would only puzzle.
         !m_config.feedbackGroup.empty()},
    };
    for (const Link& link : links) {
        if (!link.shown) {
            continue;
        }
        auto* label = new TextLabel(link.text, 14, QColor::fromRgb(skin::kLink), m_body);
        label->setObjectName(QStringLiteral("footerLink"));
        label->setGeometry(link.x, 574, link.width, 20);
        label->setLink(QColor::fromRgb(skin::kLinkHover));
        connect(label, &TextLabel::clicked, this, link.action);
    }
}

void MainWindow::buildPages() {
    m_busy = new BusyPage(m_body);
    m_deviceList = new DeviceListPage(m_body);
    m_notFound = new NotFoundPage(m_body);
    m_home = new HomePage(m_body);
    m_guide = new GuidePage(m_log, m_body);
    m_start = new StartPage(m_body);
    m_manualIp = new ManualIpPage(m_body);
    m_remoteInstall = new RemoteInstallPage(m_body);
    m_appManagement = new AppManagementPage(m_body);
    const std::array<Page*, 9> pages = {m_busy,     m_deviceList,    m_notFound,
                                        m_home,     m_guide,         m_start,
                                        m_manualIp, m_remoteInstall, m_appManagement};
    for (Page* page : pages) {
        m_pages[page->number() - 1] = page;
        connect(page, &Page::buttonClicked, this, &MainWindow::OnPageButtonClick);
    }
    m_pages[kPageCount - 1] = new PageContainer(kPageCount, m_body);

    connect(m_busy, &BusyPage::menuChosen, this, &MainWindow::onScreenshotMenu);
    connect(m_deviceList, &DeviceListPage::tileClicked, this, &MainWindow::onTileClicked);
    connect(m_remoteInstall, &RemoteInstallPage::filesDropped, this,
            [this](const QString& text) { m_actions->onFilesDropped(text.toStdString()); });
    connect(m_remoteInstall, &RemoteInstallPage::dropAreaClicked, this,
            [this] { m_actions->onDropAreaClick(); });
    connectCatalog();
}

bool MainWindow::ShowPage(PageId page, const QString& text) {
    const int number = static_cast<int>(page);
    if (number == m_history.current()) {
        return true;
    }
    if (number < 1 || number > kPageCount) {
        m_log.WriteLog(log_category::kMain, "显示页面超出范围,无效.<程_页面当前页>=" +
                                                std::to_string(m_history.current()));
        return false;
    }
    const int shown = m_history.current();
    m_history.show(number);
    switchPage(shown, number);
    if (page == PageId::NotFound) {
        m_notFound->showOutcome(text);
    }
    return true;
}

void MainWindow::switchPage(int from, int to) {
    if (from > 0) {
        m_pages[from - 1]->hide();
    }
    m_pages[to - 1]->show();
}

void MainWindow::ShowBusyPage(const BusyPageRequest& request) {
    if (request.action == BusyPageRequest::Action::Enter) {
        const int shown = m_history.current();
        if (m_history.enterBusy()) {
            switchPage(shown, PageHistory::kBusyPage);
        }
    } else if (currentPage() == PageId::Busy && m_history.busyReturn() > 0) {
        ShowPage(static_cast<PageId>(m_history.busyReturn()));
    }
    m_busy->setScreenshotMode(request.screenshot);
    m_busy->setTitle(QString::fromStdString(request.title));
    m_busy->setHint(QString::fromStdString(request.hint));
}

void MainWindow::onTileClicked(int position) {
    const std::optional<DeviceTile> tile = m_deviceList->list().tile(position);
    if (!tile) {
        return;
    }
    if (tile->buttonText != "连接") {
        if (tile->buttonText == "手动连接新设备") {
            ShowPage(PageId::ManualIp);
        }
        return;
    }
    m_home->setBoxName(QString::fromStdString(tile->name));
    m_actions->connectToTile(*tile);
}

void MainWindow::setShade(ShadeReason reason, bool on) {
    if (on) {
        m_shadeReasons |= int(reason);
    } else {
        m_shadeReasons &= ~int(reason);
    }
    m_shade->setVisible(m_shadeReasons != 0);
    m_shade->raise();
}

bool MainWindow::isShaded() const {
    return !m_shade->isHidden();
}

void MainWindow::openUrl(const QString& url) {
    if (!url.isEmpty() && m_desktop.openUrl) {
        m_desktop.openUrl(url);
    }
}

void MainWindow::revealFile(const QString& path) {
    if (m_desktop.revealFile) {
        m_desktop.revealFile(path);
    }
}

ImageButton* MainWindow::pageButton(PageButton id) const {
    for (PageContainer* container : m_pages) {
        if (auto* page = qobject_cast<Page*>(container)) {
            if (ImageButton* found = page->button(id)) {
                return found;
            }
        }
    }
    return id == PageButton::PopupClose ? &m_popup->closeButton() : nullptr;
}

TextLabel* MainWindow::footerLink(const QString& text) const {
    for (TextLabel* label : m_body->findChildren<TextLabel*>(QStringLiteral("footerLink"),
                                                             Qt::FindDirectChildrenOnly)) {
        if (label->text() == text) {
            return label;
        }
    }
    return nullptr;
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const qreal ratio = devicePixelRatioF();
    const bool shadow = drawsShadow();
    if (shadow) {
        painter.drawPixmap(0, 0, pictures::WindowShadow().pixmap(size(), ratio));
    }
    const QRect frame = m_frame->geometry();
    painter.setClipRect(frame);
    // Without a shadow the frame fills the window, corners too: a rounded
    // corner would leave pixels that show black where nothing composites.
    painter.drawPixmap(frame.topLeft(),
                       pictures::WindowBackground(shadow).pixmap(frame.size(), ratio));
    painter.translate(frame.topLeft() - QPoint(kShadowMargin, kShadowMargin));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(SkinFont(18));
    painter.setPen(Qt::white);
    painter.drawText(kProgramNameBox, Qt::AlignLeft | Qt::AlignVCenter, m_programName);
    painter.setFont(SkinFont(14));
    painter.setPen(QColor::fromRgb(skin::kText));
    painter.drawText(kVersionBox, Qt::AlignLeft | Qt::AlignVCenter, m_versionText);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // The title band moves the window, as a system title bar would.
    const QPoint at = event->position().toPoint() - m_frame->pos();
    if (event->button() == Qt::LeftButton && at.y() >= 0 && at.y() < kTitleBandHeight &&
        at.x() >= 0 && at.x() < 900 && windowHandle()) {
        windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_popup->ClosePopup();
    event->accept();
    emit closed();
}

void MainWindow::writeLog(const char* text) {
    m_log.WriteLog(log_category::kMain, text);
}

}  // namespace qvpc::ui
