#include "support/fake_screen.h"

#include <poll.h>

#include <thread>

namespace qvpc::test {

void FakeScreen::answerNextBoxes(std::vector<int> answers) {
    std::lock_guard lock(m_mutex);
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

std::vector<FakeScreen::ShownBox> FakeScreen::boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::vector<PageId> FakeScreen::pagesShown() const {
    std::lock_guard lock(m_mutex);
    return m_pages;
}

std::string FakeScreen::popupMode() const {
    std::lock_guard lock(m_mutex);
    return m_popupMode;
}

std::string FakeScreen::popupText() const {
    std::lock_guard lock(m_mutex);
    return m_popupText;
}

std::string FakeScreen::busyTitle() const {
    std::lock_guard lock(m_mutex);
    return m_busyTitle;
}

bool FakeScreen::busyScreenshotMode() const {
    std::lock_guard lock(m_mutex);
    return m_busyScreenshot;
}

std::string FakeScreen::screenshotPicture() const {
    std::lock_guard lock(m_mutex);
    return m_screenshot;
}

std::string FakeScreen::boxName() const {
    std::lock_guard lock(m_mutex);
    return m_boxName;
}

std::vector<std::string> FakeScreen::openedUrls() const {
    std::lock_guard lock(m_mutex);
    return m_urls;
}

std::map<int, std::string> FakeScreen::catalogTileStates() const {
    std::lock_guard lock(m_mutex);
    return m_catalogStates;
}

std::map<int, CatalogTile> FakeScreen::catalogTiles() const {
    std::lock_guard lock(m_mutex);
    return m_catalogTiles;
}

std::string FakeScreen::catalogNotice() const {
    std::lock_guard lock(m_mutex);
    return m_catalogNotice;
}

std::pair<int, int> FakeScreen::catalogPages() const {
    std::lock_guard lock(m_mutex);
    return m_catalogPages;
}

std::vector<std::string> FakeScreen::popupsShown() const {
    std::lock_guard lock(m_mutex);
    return m_popupsShown;
}

std::vector<int> FakeScreen::downloadProgress() const {
    std::lock_guard lock(m_mutex);
    return m_downloadProgress;
}

std::map<int, int> FakeScreen::appRowStates() const {
    std::lock_guard lock(m_mutex);
    return m_rowStates;
}

std::vector<DeviceTile> FakeScreen::deviceTiles() const {
    std::lock_guard lock(m_mutex);
    return m_tiles;
}

void FakeScreen::setSelectedAppRow(std::optional<int> row) {
    std::lock_guard lock(m_mutex);
    m_selectedRow = row;
}

void FakeScreen::setNotFoundHint(std::string hint) {
    std::lock_guard lock(m_mutex);
    m_notFoundHint = std::move(hint);
}

void FakeScreen::setFileToInstall(std::string path) {
    std::lock_guard lock(m_mutex);
    m_fileToInstall = std::move(path);
}

void FakeScreen::setSaveFile(std::string path) {
    std::lock_guard lock(m_mutex);
    m_saveFile = std::move(path);
}

bool FakeScreen::ShowPage(PageId page, const std::string& text) {
    std::lock_guard lock(m_mutex);
    const int number = static_cast<int>(page);
    if (number == m_history.current()) {
        return true;
    }
    if (number <= 0 || number > static_cast<int>(PageId::Unused)) {
        return false;
    }
    m_history.show(number);
    m_pages.push_back(page);
    if (page == PageId::NotFound) {
        m_notFoundHint = text.empty() ? "提示：请连接在同一环境下" : text;
    }
    return true;
}

void FakeScreen::ShowBusyPage(const BusyPageRequest& request) {
    int back = 0;
    {
        std::lock_guard lock(m_mutex);
        if (request.action == BusyPageRequest::Action::Enter) {
            if (m_history.enterBusy()) {
                m_pages.push_back(PageId::Busy);
            }
        } else if (m_history.current() == PageHistory::kBusyPage) {
            back = m_history.busyReturn();
        }
        m_busyScreenshot = request.screenshot;
        m_busyTitle = request.title;
    }
    if (back > 0) {
        ShowPage(static_cast<PageId>(back));
    }
}

void FakeScreen::ShowPreviousPage() {
    int previous;
    {
        std::lock_guard lock(m_mutex);
        previous = m_history.previous();
    }
    if (previous > 0) {
        ShowPage(static_cast<PageId>(previous));
    }
}

PageId FakeScreen::currentPage() {
    std::lock_guard lock(m_mutex);
    return static_cast<PageId>(m_history.current());
}

int FakeScreen::MsgBox(const MsgBoxRequest& request) {
    std::lock_guard lock(m_mutex);
    m_popupMode.clear();
    int answer = 0;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_boxes.push_back({request, answer});
    return answer;
}

int FakeScreen::SystemMsgBox(const SystemMsgBoxRequest& request) {
    MsgBoxRequest asBox;
    asBox.message = request.message;
    asBox.title = request.title;
    return MsgBox(asBox);
}

void FakeScreen::ShowInstalling(const std::string& message, bool /*closeVisible*/) {
    std::lock_guard lock(m_mutex);
    m_popupMode = "安装";
    m_popupText = message;
    m_popupsShown.push_back(m_popupMode + ":" + m_popupText);
}

void FakeScreen::ShowDownloading(const std::string& targetPath, const std::string& status) {
    std::lock_guard lock(m_mutex);
    m_popupMode = "下载";
    m_popupText = status + targetPath;
    m_popupsShown.push_back(m_popupMode + ":" + m_popupText);
}

void FakeScreen::ShowPrompt(const std::string& message) {
    std::lock_guard lock(m_mutex);
    m_popupMode = "提示";
    m_popupText = message;
    m_popupsShown.push_back(m_popupMode + ":" + m_popupText);
}

void FakeScreen::ClosePopup() {
    std::lock_guard lock(m_mutex);
    m_popupMode.clear();
}

std::string FakeScreen::percentText() const {
    std::lock_guard lock(m_mutex);
    return m_percent;
}

void FakeScreen::setPercentText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_percent = text;
    m_percentsShown.push_back(text);
}

void FakeScreen::setDownloadProgress(int percent) {
    std::lock_guard lock(m_mutex);
    m_downloadProgress.push_back(percent);
}

void FakeScreen::setScreenshotPicture(const std::string& pngPath) {
    std::lock_guard lock(m_mutex);
    m_screenshot = pngPath;
}

std::string FakeScreen::notFoundHint() {
    std::lock_guard lock(m_mutex);
    return m_notFoundHint;
}

void FakeScreen::setBoxName(const std::string& name) {
    std::lock_guard lock(m_mutex);
    m_boxName = name;
}

std::string FakeScreen::manualAddress() {
    std::lock_guard lock(m_mutex);
    return m_manualAddress;
}

void FakeScreen::setManualAddress(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_manualAddress = text;
}

void FakeScreen::clearDeviceTiles() {
    std::lock_guard lock(m_mutex);
    m_tiles.clear();
}

void FakeScreen::addDeviceTileInFront(const DeviceTile& tile) {
    std::lock_guard lock(m_mutex);
    m_tiles.insert(m_tiles.begin(), tile);
}

std::optional<int> FakeScreen::findDeviceTile(const std::string& address) {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        if (m_tiles[i].address == address) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<DeviceTile> FakeScreen::deviceTile(int position) {
    std::lock_guard lock(m_mutex);
    if (position < 0 || position >= static_cast<int>(m_tiles.size())) {
        return std::nullopt;
    }
    return m_tiles[static_cast<std::size_t>(position)];
}

void FakeScreen::setDeviceTilePort(int position, int port) {
    std::lock_guard lock(m_mutex);
    if (position >= 0 && position < static_cast<int>(m_tiles.size())) {
        m_tiles[static_cast<std::size_t>(position)].port = port;
    }
}

void FakeScreen::resetDeviceListScroll() {}

void FakeScreen::setCatalogTileState(int position, const std::string& state) {
    std::lock_guard lock(m_mutex);
    m_catalogStates[position] = state;
    if (auto tile = m_catalogTiles.find(position); tile != m_catalogTiles.end()) {
        tile->second.state = state;
    }
}

void FakeScreen::clearCatalogTiles() {
    std::lock_guard lock(m_mutex);
    m_catalogTiles.clear();
}

void FakeScreen::addCatalogTile(int position, const CatalogTile& tile) {
    std::lock_guard lock(m_mutex);
    m_catalogTiles[position] = tile;
}

std::optional<CatalogTile> FakeScreen::catalogTile(int position) {
    std::lock_guard lock(m_mutex);
    const auto found = m_catalogTiles.find(position);
    return found == m_catalogTiles.end() ? std::nullopt : std::optional(found->second);
}

void FakeScreen::setCatalogNotice(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_catalogNotice = text;
}

void FakeScreen::setCatalogPages(int pageCount, int selectedPage) {
    std::lock_guard lock(m_mutex);
    m_catalogPages = {pageCount, selectedPage};
}

void FakeScreen::postToUiThread(std::function<void()> work) {
    if (!mainWindowClosed()) {
        work();
    }
}

std::optional<int> FakeScreen::selectedAppRow() {
    std::lock_guard lock(m_mutex);
    return m_selectedRow;
}

void FakeScreen::setAppRowState(int row, AppRowState state) {
    std::lock_guard lock(m_mutex);
    m_rowStates[row] = static_cast<int>(state);
    if (row >= 1 && row <= static_cast<int>(m_appRows.size())) {
        m_appRows[static_cast<std::size_t>(row - 1)].state = state;
    }
}

void FakeScreen::clearAppRows() {
    std::lock_guard lock(m_mutex);
    m_appRows.clear();
    m_rowStates.clear();
}

void FakeScreen::addAppRow(const InstalledAppRow& row) {
    std::lock_guard lock(m_mutex);
    m_appRows.push_back(row);
}

std::optional<InstalledAppRow> FakeScreen::appRow(int position) {
    std::lock_guard lock(m_mutex);
    if (position < 1 || position > static_cast<int>(m_appRows.size())) {
        return std::nullopt;
    }
    return m_appRows[static_cast<std::size_t>(position - 1)];
}

RowRect FakeScreen::appRowButton(int) {
    std::lock_guard lock(m_mutex);
    return m_appRowButton;
}

void FakeScreen::setAppRowButton(RowRect rect) {
    std::lock_guard lock(m_mutex);
    m_appRowButton = rect;
}

std::vector<InstalledAppRow> FakeScreen::appRows() const {
    std::lock_guard lock(m_mutex);
    return m_appRows;
}

void FakeScreen::setUninstallCount(int count) {
    std::lock_guard lock(m_mutex);
    m_uninstallCount = count;
}

int FakeScreen::uninstallCount() const {
    std::lock_guard lock(m_mutex);
    return m_uninstallCount;
}

int FakeScreen::upgradeCount() {
    std::lock_guard lock(m_mutex);
    return m_upgradeCount;
}

void FakeScreen::setUpgradeCount(int count) {
    std::lock_guard lock(m_mutex);
    m_upgradeCount = count;
}

std::string FakeScreen::chooseFileToInstall(const std::string&, const std::string&) {
    std::lock_guard lock(m_mutex);
    return m_fileToInstall;
}

std::string FakeScreen::chooseSaveFile(const std::string&, const std::string&, const std::string&,
                                       int) {
    std::lock_guard lock(m_mutex);
    return m_saveFile;
}

void FakeScreen::openUrl(const std::string& url) {
    std::lock_guard lock(m_mutex);
    m_urls.push_back(url);
}

void FakeScreen::revealFile(const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_urls.push_back("reveal:" + path);
}

void FakeScreen::closeMainWindow() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
}

std::vector<std::string> FakeScreen::percentsShown() const {
    std::lock_guard lock(m_mutex);
    return m_percentsShown;
}

bool FakeScreen::mainWindowClosed() const {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

void FakeScreen::playUiThread() {
    std::lock_guard lock(m_mutex);
    m_uiThread = std::this_thread::get_id();
}

int FakeScreen::eventLoopTurns() const {
    std::lock_guard lock(m_mutex);
    return m_eventLoopTurns;
}

bool FakeScreen::isUiThread() {
    std::lock_guard lock(m_mutex);
    return m_uiThread == std::this_thread::get_id();
}

void FakeScreen::runEventLoopFor(std::chrono::milliseconds duration) {
    {
        std::lock_guard lock(m_mutex);
        ++m_eventLoopTurns;
    }
    // An event loop in miniature: the enabled watches' readiness, for the
    // duration, each handler run without the lock.
    const auto deadline = std::chrono::steady_clock::now() + duration;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<int> ids;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [id, entry] : m_sockets) {
                if (entry.enabled) {
                    fds.push_back({entry.fd, POLLIN, 0});
                    ids.push_back(id);
                }
            }
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return;
        }
        if (fds.empty()) {
            std::this_thread::sleep_for(left);
            return;
        }
        if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) <= 0) {
            continue;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            std::function<void()> handler;
            {
                std::lock_guard lock(m_mutex);
                auto it = m_sockets.find(ids[i]);
                if (it == m_sockets.end() || !it->second.enabled) {
                    continue;
                }
                it->second.enabled = false;
                handler = it->second.onReadable;
            }
            handler();
        }
    }
}

int FakeScreen::watchSocket(int fd, std::function<void()> onReadable) {
    std::lock_guard lock(m_mutex);
    const int id = ++m_lastSocketWatch;
    m_sockets[id] = {fd, std::move(onReadable), true};
    return id;
}

void FakeScreen::resumeSocketWatch(int id) {
    std::lock_guard lock(m_mutex);
    if (auto it = m_sockets.find(id); it != m_sockets.end()) {
        it->second.enabled = true;
    }
}

void FakeScreen::unwatchSocket(int id) {
    std::lock_guard lock(m_mutex);
    m_sockets.erase(id);
}

}  // namespace qvpc::test
