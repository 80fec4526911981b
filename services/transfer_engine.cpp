#include "services/transfer_engine.h"

#include <atomic>
#include <cerrno>
#include <chrono>

#include "base/unique_fd.h"

namespace qvpc {
namespace {

constexpr long kConnectTimeoutMs = 15'000;
// A transfer that receives nothing for this long has stopped.
constexpr long kSilenceSeconds = 30;
constexpr int kPollMs = 1000;
constexpr std::chrono::milliseconds kProgressEvery{100};
constexpr const char* kAnonymousUser = "anonymous";
constexpr const char* kAnonymousPassword = "qvpc@rivod.invalid";

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

struct TransferEngine::Transfer {
    TransferEngine* engine = nullptr;
    int id = 0;
    TransferSettings settings;
    curl::Easy easy;
    UniqueFd file;
    std::atomic<std::int64_t> received{0};
    bool started = false;
    bool tooLarge = false;
    bool writeFailed = false;
    std::chrono::steady_clock::time_point lastProgress;
    char error[CURL_ERROR_SIZE] = {};

    // The announced size, 0 when the server gives none.
    std::int64_t announcedSize() const {
        curl_off_t length = -1;
        curl_easy_getinfo(easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return length > 0 ? static_cast<std::int64_t>(length) : 0;
    }
};

TransferEngine::TransferEngine(Callback callback)
    : m_callback(std::move(callback)), m_multi(curl::NewMulti()) {
    m_thread = std::thread([this] { run(); });
}

TransferEngine::~TransferEngine() {
    shutDown();
}

void TransferEngine::shutDown() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_stopping = true;
    }
    if (m_multi) {
        curl_multi_wakeup(m_multi.get());
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

int TransferEngine::start(TransferSettings settings) {
    auto transfer = std::make_shared<Transfer>();
    transfer->engine = this;
    transfer->settings = std::move(settings);
    int id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextId++;
        transfer->id = id;
        if (m_stopping) {
            return id;
        }
        m_transfers[id] = transfer;
        m_pending.push_back(id);
    }
    if (m_multi) {
        curl_multi_wakeup(m_multi.get());
    }
    return id;
}

std::int64_t TransferEngine::bytesReceived(int taskId) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_transfers.find(taskId);
    return found == m_transfers.end() ? 0 : found->second->received.load();
}

std::string TransferEngine::localPath(int taskId) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_transfers.find(taskId);
    return found == m_transfers.end() ? std::string() : found->second->settings.localPath;
}

std::size_t TransferEngine::OnData(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    TransferEngine& engine = *transfer.engine;
    const std::size_t bytes = size * count;
    if (!transfer.started) {
        transfer.started = true;
        const std::int64_t announced = transfer.announcedSize();
        if (announced > transfer.settings.sizeLimit) {
            transfer.tooLarge = true;
            return 0;
        }
        engine.m_callback({TransferEvent::Type::Started, announced, transfer.id, {}});
    }
    if (transfer.received + static_cast<std::int64_t>(bytes) > transfer.settings.sizeLimit) {
        transfer.tooLarge = true;
        return 0;
    }
    if (!WriteAll(transfer.file.get(), data, bytes)) {
        transfer.writeFailed = true;
        return 0;
    }
    transfer.received += static_cast<std::int64_t>(bytes);
    const auto now = std::chrono::steady_clock::now();
    if (now - transfer.lastProgress >= kProgressEvery) {
        transfer.lastProgress = now;
        engine.m_callback({TransferEvent::Type::Progress, transfer.received, transfer.id, {}});
    }
    return bytes;
}

void TransferEngine::begin(const std::shared_ptr<Transfer>& transfer) {
    const TransferSettings& settings = transfer->settings;
    transfer->file.reset(::open(settings.localPath.c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    transfer->easy = curl::NewEasy();
    CURL* easy = transfer->easy.get();
    if (!transfer->file.valid() || !easy ||
        curl_easy_setopt(easy, CURLOPT_URL, settings.url.c_str()) != CURLE_OK) {
        m_callback(
            {TransferEvent::Type::Failed, 0, transfer->id,
             transfer->file.valid() ? "cannot start the transfer" : "cannot write the file"});
        return;
    }
    curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->error);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    // An error page is no APK.
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kSilenceSeconds);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
    const bool ftp = settings.url.starts_with("ftp://");
    const bool accountGiven = !settings.user.empty() && !settings.password.empty();
    if (ftp || accountGiven) {
        curl_easy_setopt(easy, CURLOPT_USERNAME,
                         accountGiven ? settings.user.c_str() : kAnonymousUser);
        curl_easy_setopt(easy, CURLOPT_PASSWORD,
                         accountGiven ? settings.password.c_str() : kAnonymousPassword);
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    if (curl_multi_add_handle(m_multi.get(), easy) != CURLM_OK) {
        m_callback({TransferEvent::Type::Failed, 0, transfer->id, "cannot start the transfer"});
    }
}

void TransferEngine::finish(Transfer& transfer, CURLcode result) {
    curl_multi_remove_handle(m_multi.get(), transfer.easy.get());
    // The file is whole before anyone is told.
    const bool closed = ::close(transfer.file.release()) == 0;
    if (result == CURLE_OK && closed) {
        if (!transfer.started) {
            m_callback({TransferEvent::Type::Started, 0, transfer.id, {}});
        }
        m_callback({TransferEvent::Type::Progress, transfer.received, transfer.id, {}});
        m_callback({TransferEvent::Type::Finished, transfer.received, transfer.id, {}});
        return;
    }
    std::string error = transfer.tooLarge      ? "the file is larger than allowed"
                        : transfer.writeFailed ? "cannot write the file"
                        : transfer.error[0]    ? transfer.error
                                               : curl_easy_strerror(result);
    m_callback({TransferEvent::Type::Failed, transfer.received, transfer.id, std::move(error)});
}

void TransferEngine::run() {
    if (!m_multi) {
        return;
    }
    CURLM* multi = m_multi.get();
    while (true) {
        std::deque<std::shared_ptr<Transfer>> starting;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                break;
            }
            for (int id : m_pending) {
                starting.push_back(m_transfers.at(id));
            }
            m_pending.clear();
        }
        for (const auto& transfer : starting) {
            begin(transfer);
        }
        int running = 0;
        curl_multi_perform(multi, &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            Transfer* transfer = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
            if (transfer) {
                finish(*transfer, message->data.result);
            }
        }
        curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
    }
    endAll();
}

void TransferEngine::endAll() {
    std::lock_guard lock(m_mutex);
    for (auto& [id, transfer] : m_transfers) {
        if (transfer->easy) {
            curl_multi_remove_handle(m_multi.get(), transfer->easy.get());
            transfer->easy.reset();
        }
        transfer->file.reset();
    }
}

}  // namespace qvpc
