#include "services/downloader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "apps/install_result.h"
#include "base/app_management_views.h"
#include "base/app_paths.h"
#include "base/file_names.h"
#include "base/log.h"
#include "base/popup_view.h"
#include "base/window_loop.h"

namespace qvpc {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemporarySuffix = ".tmp";
// What a title holds when the download is for a catalog tile ("应用下载<3>").
constexpr std::string_view kCatalogDownload = "应用下载";
// The popup shows "下载完成" this long before the installation takes it over.
constexpr std::chrono::seconds kShowFinished{1};

bool IsDownloadUrl(const std::string& url) {
    return url.starts_with("http://") || url.starts_with("https://") || url.starts_with("ftp://");
}

// The URL's file name: its last "/"-separated segment when that holds a ".".
std::string UrlFileName(const std::string& url) {
    const std::size_t slash = url.rfind('/');
    std::string segment = url.substr(slash == std::string::npos ? 0 : slash + 1);
    return segment.find('.') == std::string::npos ? std::string() : segment;
}

bool ForCatalogTile(const std::string& title) {
    return title.find(kCatalogDownload) != std::string::npos;
}

// Whether the file begins as an APK (a ZIP archive) does: an error page a
// server sends as if it were the file is no APK to install.
bool LooksLikeApk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    return in && std::string_view(head, sizeof head) == std::string_view("PK\x03\x04", 4);
}

// Renames the finished file to its final name, or copies it over an earlier
// file of that name where a rename cannot.
bool MoveToFinalName(const std::string& temporary, const std::string& final) {
    std::error_code ec;
    fs::rename(temporary, final, ec);
    if (!ec) {
        return true;
    }
    fs::remove(final, ec);
    fs::copy_file(temporary, final, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        return false;
    }
    fs::remove(temporary, ec);
    return true;
}

}  // namespace

Downloader::Downloader(Needs needs)
    : m_needs(std::move(needs)), m_engine([this](const TransferEvent& event) { onEvent(event); }) {}

Downloader::~Downloader() {
    shutDown();
}

void Downloader::shutDown() {
    m_engine.shutDown();
}

std::string Downloader::checkedTarget(const std::string& url, const std::string& target) const {
    if (!IsDownloadUrl(url)) {
        return {};
    }
    std::string path = target;
    if (path.empty()) {
        const std::string name = SafeFileName(UrlFileName(url));
        if (name.empty()) {
            return {};
        }
        path = m_needs.dataDir + "/" + name;
    }
    const fs::path normal = fs::path(path).lexically_normal();
    const fs::path inside = normal.lexically_relative(fs::path(m_needs.dataDir).lexically_normal());
    const std::string name = normal.filename().string();
    if (inside.empty() || *inside.begin() == ".." || *inside.begin() == "." || name.empty() ||
        name.starts_with('.') || path.find('\0') != std::string::npos) {
        return {};
    }
    return normal.string();
}

int Downloader::start(const std::string& url, const std::string& target, const std::string& title,
                      const std::string& user, const std::string& password) {
    std::unique_lock lock(m_mutex);
    m_records.push_back({});
    const std::size_t index = m_records.size() - 1;
    const int number = static_cast<int>(index) + 1;
    Record& record = m_records.back();
    record.title = title;
    record.settings.url = url;
    const std::string checked = checkedTarget(url, target);
    if (checked.empty()) {
        record.status = Status::Failed;
        lock.unlock();
        fail(title, url, "not a download URL, or a target outside the data folder: " + target);
        return number;
    }
    record.settings.localPath = checked + std::string(kTemporarySuffix);
    if (!user.empty() && !password.empty()) {
        record.settings.user = user;
        record.settings.password = password;
    }
    // What an aborted run left goes first.
    std::error_code ec;
    fs::remove(record.settings.localPath, ec);
    MakeDirectories(fs::path(checked).parent_path().string());
    // Under the lock: the engine's first event waits until the record knows
    // its task.
    record.taskId = m_engine.start(record.settings);
    return number;
}

std::optional<Downloader::Record> Downloader::record(int number) const {
    std::lock_guard lock(m_mutex);
    if (number < 1 || static_cast<std::size_t>(number) > m_records.size()) {
        return std::nullopt;
    }
    return m_records[static_cast<std::size_t>(number) - 1];
}

std::optional<std::size_t> Downloader::indexOf(int taskId) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].taskId == taskId) {
            return i;
        }
    }
    return std::nullopt;
}

void Downloader::onEvent(const TransferEvent& event) {
    std::unique_lock lock(m_mutex);
    const std::optional<std::size_t> index = indexOf(event.taskId);
    if (!index) {
        return;
    }
    Record& record = m_records[*index];
    switch (event.type) {
        case TransferEvent::Type::Started:
            record.totalSize = event.value;
            record.status = Status::Transferring;
            return;
        case TransferEvent::Type::Progress: {
            // An unknown size shows no progress rather than a made-up one.
            const int percent = record.totalSize > 0
                                    ? static_cast<int>(std::min<std::int64_t>(
                                          100, event.value * 100 / record.totalSize))
                                    : 0;
            if (percent == record.shownPercent) {
                return;
            }
            record.shownPercent = percent;
            lock.unlock();
            m_needs.popup.setDownloadProgress(percent);
            return;
        }
        case TransferEvent::Type::Finished: {
            if (record.totalSize > 0 && event.value != record.totalSize) {
                record.status = Status::WrongSize;
                const Record failed = record;
                lock.unlock();
                fail(failed.title, failed.settings.url,
                     "received " + std::to_string(event.value) + " of " +
                         std::to_string(failed.totalSize) + " bytes");
                return;
            }
            const Record finished = record;
            lock.unlock();
            onFinished(*index, finished);
            return;
        }
        case TransferEvent::Type::Failed: {
            record.status = Status::Failed;
            const Record failed = record;
            lock.unlock();
            fail(failed.title, failed.settings.url, event.error);
            return;
        }
    }
}

void Downloader::onFinished(std::size_t index, const Record& record) {
    const std::string temporary = m_engine.localPath(record.taskId);
    const std::string final = temporary.substr(0, temporary.size() - kTemporarySuffix.size());
    if (!LooksLikeApk(temporary)) {
        {
            std::lock_guard lock(m_mutex);
            m_records[index].status = Status::Failed;
        }
        fail(record.title, record.settings.url, "what arrived is no APK");
        return;
    }
    if (!MoveToFinalName(temporary, final)) {
        {
            std::lock_guard lock(m_mutex);
            m_records[index].status = Status::Failed;
        }
        fail(record.title, record.settings.url, "cannot move the file to " + final);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_records[index].status = Status::Finished;
    }
    m_needs.popup.ShowDownloading({}, "下载完成");
    m_needs.popup.setDownloadProgress(100);
    const std::string title = record.title;
    m_needs.asUserAction([this, final, title] {
        m_needs.loop.runEventLoopFor(kShowFinished);
        m_needs.log.WriteLog(log_category::kDownload, "文件路径:" + final);
        if (ForCatalogTile(title)) {
            m_needs.tiles.setCatalogTileState(TilePosition(title), "安装中");
        }
        m_needs.install(final, title);
    });
}

void Downloader::fail(const std::string& title, const std::string& url, const std::string& why) {
    m_needs.log.WriteLog(log_category::kDownload, "下载失败:" + url + " " + why);
    m_needs.popup.ShowPrompt(kFailed);
    if (ForCatalogTile(title)) {
        m_needs.tiles.setCatalogTileState(TilePosition(title), "安装");
    }
}

}  // namespace qvpc
