#include "updater/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>

#include "base/unique_fd.h"

namespace qvpc::updater {
namespace {

constexpr long kConnectTimeoutSeconds = 15;
// A transfer that brings nothing for this long has stalled.
constexpr long kStallSeconds = 30;
constexpr long kWholeTransferSeconds = 30 * 60;
constexpr long kMostRedirects = 5;

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct Transfer {
    int fd = -1;
    std::uint64_t limit = 0;
    std::uint64_t received = 0;
    bool overLimit = false;
    bool writeFailed = false;
    const DownloadProgress* progress = nullptr;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->received + bytes > transfer->limit) {
        transfer->overLimit = true;
        return 0;
    }
    for (std::size_t done = 0; done < bytes;) {
        const ssize_t written = ::write(transfer->fd, data + done, bytes - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            transfer->writeFailed = true;
            return 0;
        }
        done += static_cast<std::size_t>(written);
    }
    transfer->received += bytes;
    return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->progress && *transfer->progress) {
        (*transfer->progress)(static_cast<std::uint64_t>(now), static_cast<std::uint64_t>(total));
    }
    return 0;
}

std::string FailureText(CURLcode code, const Transfer& transfer, long status) {
    if (transfer.overLimit) {
        return "文件太大,不是更新";
    }
    if (transfer.writeFailed) {
        return "无法写入下载的文件";
    }
    switch (code) {
        case CURLE_HTTP_RETURNED_ERROR:
            return "服务器回答 " + std::to_string(status);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return "无法连接更新服务器";
        case CURLE_OPERATION_TIMEDOUT:
            return "服务器长时间没有回应";
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
            return "下载中断,文件不完整";
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
            return "服务器的证书无效";
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return "更新地址无效";
        default:
            return std::string("下载失败: ") + curl_easy_strerror(code);
    }
}

}  // namespace

DownloadResult Download(const std::string& url, const std::string& path, std::uint64_t limit,
                        const DownloadProgress& progress) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    DownloadResult result;
    if (!(url.starts_with("http://") || url.starts_with("https://"))) {
        result.error = "更新地址无效";
        return result;
    }
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!fd.valid() || !curl) {
        result.error = "无法写入下载的文件";
        return result;
    }
    Transfer transfer{.fd = fd.get(), .limit = limit, .progress = &progress};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMostRedirects);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kWholeTransferSeconds);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);

    const CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t announced = -1;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    result.bytes = transfer.received;
    if (code != CURLE_OK) {
        result.error = FailureText(code, transfer, status);
        return result;
    }
    if ((announced >= 0 && static_cast<std::uint64_t>(announced) != transfer.received) ||
        ::fsync(fd.get()) != 0) {
        result.error = "下载中断,文件不完整";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace qvpc::updater
