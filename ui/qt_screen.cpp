#include "ui/qt_screen.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <thread>

#include "ui/app_management_page.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/desktop.h"
#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/home_page.h"
#include "ui/main_window.h"
#include "ui/manual_ip_page.h"
#include "ui/msg_box_presenter.h"
#include "ui/not_found_page.h"
#include "ui/progress_popup.h"

namespace qvpc::ui {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace

QtScreen::QtScreen(MainWindow& window) : m_window(window) {
    QObject::connect(&window, &MainWindow::closed, &m_watch, [this] { closeGate(); });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &m_watch,
                     [this] { closeGate(); });
}

void QtScreen::closeGate() {
    m_gate.close();
    // A box a worker asked for would stay on the screen of a program that
    // is ending.
    m_window.msgBoxes().dismissAll();
}

QtScreen::~QtScreen() {
    m_gate.close();
}

bool QtScreen::ShowPage(PageId page, const std::string& text) {
    return onUi<bool>([this, page, text = Q(text)] { return m_window.ShowPage(page, text); },
                      false);
}

void QtScreen::ShowBusyPage(const BusyPageRequest& request) {
    onUi([this, request] { m_window.ShowBusyPage(request); });
}

void QtScreen::ShowPreviousPage() {
    onUi([this] { m_window.ShowPage(m_window.previousPage()); });
}

PageId QtScreen::currentPage() {
    return onUi<PageId>([this] { return m_window.currentPage(); }, PageId{});
}

int QtScreen::MsgBox(const MsgBoxRequest& request) {
    return askBox(request);
}

int QtScreen::SystemMsgBox(const SystemMsgBoxRequest& request) {
    return askBox(request);
}

int QtScreen::askBox(MsgBoxPresenter::Request request) {
    if (!m_gate.isOpen()) {
        return MsgBoxPresenter::unanswered(request);
    }
    if (m_gate.isUiThread()) {
        return m_window.msgBoxes().exec(request);
    }
    const int fallback = MsgBoxPresenter::unanswered(request);
    return m_gate.await<int>(
        [this, request = std::move(request)](std::function<void(int)> done) {
            m_window.msgBoxes().enqueue(request, std::move(done));
        },
        fallback);
}

void QtScreen::ShowInstalling(const std::string& message, bool closeVisible) {
    onUi([this, message = Q(message), closeVisible] {
        m_window.popup().ShowInstalling(message, closeVisible);
    });
}

void QtScreen::ShowDownloading(const std::string& targetPath, const std::string& status) {
    onUi([this, targetPath = Q(targetPath), status = Q(status)] {
        m_window.popup().ShowDownloading(targetPath, status);
    });
}

void QtScreen::ShowPrompt(const std::string& message) {
    onUi([this, message = Q(message)] { m_window.popup().ShowPrompt(message); });
}

void QtScreen::ClosePopup() {
    onUi([this] { m_window.popup().ClosePopup(); });
}

void QtScreen::setPercentText(const std::string& text) {
    onUi([this, text = Q(text)] { m_window.popup().setPercentText(text); });
}

void QtScreen::setDownloadProgress(int percent) {
    onUi([this, percent] { m_window.popup().setDownloadProgress(percent); });
}

void QtScreen::setScreenshotPicture(const std::string& pngPath) {
    onUi([this, path = Q(pngPath)] { m_window.busyPage().setScreenshot(path); });
}

std::string QtScreen::notFoundHint() {
    return onUi<std::string>([this] { return S(m_window.notFoundPage().hint()); }, {});
}

void QtScreen::setBoxName(const std::string& name) {
    onUi([this, name = Q(name)] { m_window.homePage().setBoxName(name); });
}

std::string QtScreen::manualAddress() {
    return onUi<std::string>([this] { return S(m_window.manualIpPage().address()); }, {});
}

void QtScreen::setManualAddress(const std::string& text) {
    onUi([this, text = Q(text)] { m_window.manualIpPage().setAddress(text); });
}

void QtScreen::clearDeviceTiles() {
    onUi([this] { m_window.deviceListPage().list().clear(); });
}

void QtScreen::addDeviceTileInFront(const DeviceTile& tile) {
    onUi([this, tile] { m_window.deviceListPage().list().addInFront(tile); });
}

std::optional<int> QtScreen::findDeviceTile(const std::string& address) {
    return onUi<std::optional<int>>(
        [this, address] { return m_window.deviceListPage().list().find(address); }, std::nullopt);
}

std::optional<DeviceTile> QtScreen::deviceTile(int position) {
    return onUi<std::optional<DeviceTile>>(
        [this, position] { return m_window.deviceListPage().list().tile(position); }, std::nullopt);
}

void QtScreen::setDeviceTilePort(int position, int port) {
    onUi([this, position, port] { m_window.deviceListPage().list().setPort(position, port); });
}

void QtScreen::resetDeviceListScroll() {
    onUi([this] { m_window.deviceListPage().list().resetScroll(); });
}

void QtScreen::setCatalogTileState(int position, const std::string& state) {
    onUi([this, position, state = Q(state)] {
        m_window.appManagementPage().setCatalogTileState(position, state);
    });
}

void QtScreen::clearAppRows() {
    onUi([this] { m_window.appManagementPage().clearAppRows(); });
}

void QtScreen::addAppRow(const InstalledAppRow& row) {
    onUi([this, row] { m_window.appManagementPage().addAppRow(row); });
}

std::optional<InstalledAppRow> QtScreen::appRow(int position) {
    return onUi<std::optional<InstalledAppRow>>(
        [this, position] { return m_window.appManagementPage().appRow(position); }, std::nullopt);
}

RowRect QtScreen::appRowButton(int position) {
    return onUi<RowRect>(
        [this, position] { return m_window.appManagementPage().appRowButton(position); }, {});
}

std::optional<int> QtScreen::selectedAppRow() {
    return onUi<std::optional<int>>(
        [this] { return m_window.appManagementPage().selectedAppRow(); }, std::nullopt);
}

void QtScreen::setAppRowState(int row, AppRowState state) {
    onUi([this, row, state] {
        m_window.appManagementPage().setAppRowState(row, static_cast<int>(state));
    });
}

int QtScreen::upgradeCount() {
    return onUi<int>([this] { return m_window.appManagementPage().upgradeCount(); }, 0);
}

void QtScreen::setUpgradeCount(int count) {
    onUi([this, count] { m_window.appManagementPage().setUpgradeCount(count); });
}

void QtScreen::setUninstallCount(int count) {
    onUi([this, count] { m_window.appManagementPage().setUninstallCount(count); });
}

void QtScreen::clearCatalogTiles() {
    onUi([this] { m_window.appManagementPage().tileGrid().clear(); });
}

void QtScreen::addCatalogTile(int position, const CatalogTile& tile) {
    onUi([this, position, tile] {
        m_window.appManagementPage().tileGrid().addTile(position, tile);
    });
}

std::optional<CatalogTile> QtScreen::catalogTile(int position) {
    return onUi<std::optional<CatalogTile>>(
        [this, position] { return m_window.appManagementPage().tileGrid().tile(position); },
        std::nullopt);
}

void QtScreen::setCatalogNotice(const std::string& text) {
    onUi([this, text = Q(text)] { m_window.appManagementPage().tileGrid().setNotice(text); });
}

void QtScreen::setCatalogPages(int pageCount, int selectedPage) {
    onUi([this, pageCount, selectedPage] {
        m_window.appManagementPage().pager().setPages(pageCount, selectedPage);
    });
}

std::string QtScreen::chooseFileToInstall(const std::string& title, const std::string& startDir) {
    return onUi<std::string>(
        [this, title = Q(title), startDir = Q(startDir)] {
            return S(ChooseFileToInstall(&m_window, title, startDir));
        },
        {});
}

std::string QtScreen::chooseSaveFile(const std::string& title, const std::string& startDir,
                                     const std::string& filter, int filterIndex) {
    return onUi<std::string>(
        [this, title = Q(title), startDir = Q(startDir), filter = Q(filter), filterIndex] {
            return S(ChooseSaveFile(&m_window, title, startDir, filter, filterIndex));
        },
        {});
}

void QtScreen::openUrl(const std::string& url) {
    onUi([this, url = Q(url)] { m_window.openUrl(url); });
}

void QtScreen::revealFile(const std::string& path) {
    onUi([this, path = Q(path)] { m_window.revealFile(path); });
}

void QtScreen::closeMainWindow() {
    onUi([this] { m_window.close(); });
}

bool QtScreen::isUiThread() {
    return m_gate.isUiThread();
}

void QtScreen::runEventLoopFor(std::chrono::milliseconds duration) {
    if (!m_gate.isUiThread()) {
        std::this_thread::sleep_for(duration);
        return;
    }
    // Closing the window ends the wait at once; later waits do not begin.
    if (!m_gate.isOpen()) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    QObject::connect(&m_window, &MainWindow::closed, &loop, &QEventLoop::quit);
    loop.exec();
}

bool QtScreen::programClosing() {
    return !m_gate.isOpen();
}

void QtScreen::postToUiThread(std::function<void()> work) {
    if (!m_gate.isOpen()) {
        return;
    }
    // Queued in the name of an object of this screen, so that work still
    // queued when the screen goes is dropped with it; work that reaches the
    // loop after the window closed does not run.
    QMetaObject::invokeMethod(
        &m_watch,
        [this, work = std::move(work)] {
            if (m_gate.isOpen()) {
                work();
            }
        },
        Qt::QueuedConnection);
}

void QtScreen::processPendingEvents() {
    if (m_gate.isUiThread()) {
        QCoreApplication::processEvents();
    }
}

int QtScreen::watchSocket(int fd, std::function<void()> onReadable) {
    return onUi<int>([this, fd, onReadable] { return m_sockets.watch(fd, onReadable); }, 0);
}

void QtScreen::resumeSocketWatch(int id) {
    onUi([this, id] { m_sockets.resume(id); });
}

void QtScreen::unwatchSocket(int id) {
    onUi([this, id] { m_sockets.unwatch(id); });
}

}  // namespace qvpc::ui
