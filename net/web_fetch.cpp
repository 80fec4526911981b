#include "net/web_fetch.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "net/curl_easy.h"

namespace qvpc {
namespace {

constexpr long kDefaultTimeoutMs = 15'000;

bool HasHeader(const std::string& headers, std::string_view name) {
    auto lower = [](unsigned char c) { return std::tolower(c); };
    return std::search(headers.begin(), headers.end(), name.begin(), name.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != headers.end();
}

long TimeoutMs(int timeoutSeconds) {
    if (timeoutSeconds == -1) {
        return kLongTimeoutSeconds * 1000L;
    }
    return timeoutSeconds < 1 ? kDefaultTimeoutMs : timeoutSeconds * 1000L;
}

}  // namespace

std::string WebFetchHeaders(const std::string& extraHeaders, const std::string& url) {
    std::string headers = extraHeaders;
    if (headers.empty()) {
        headers = "Accept: */*";
    } else if (!HasHeader(headers, "Accept:")) {
        headers += "\r\nAccept: */*";
    }
    const std::pair<std::string_view, std::string> defaults[] = {
        {"Referer:", "Referer: " + url},
        {"Accept-Language:", "Accept-Language: zh-cn"},
        {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
        {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
    };
    for (const auto& [name, line] : defaults) {
        if (!HasHeader(headers, name)) {
            headers += "\r\n" + line;
        }
    }
    return headers;
}

std::string WebFetch(const WebFetchRequest& request) {
    curl::Easy easy = curl::NewEasy();
    if (!easy || !(request.url.starts_with("http://") || request.url.starts_with("https://"))) {
        return {};
    }
    CURL* handle = easy.get();
    if (curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str()) != CURLE_OK) {
        return {};
    }
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    // The certificate is checked, unlike the fetch this one replaces: a
    // catalog reply names the APKs the box installs.
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl::SetPhaseTimeouts(handle, TimeoutMs(request.timeoutSeconds));
    if (!request.noRedirect) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
    }
    switch (request.method) {
        case WebFetchRequest::Method::Post:
            curl_easy_setopt(handle, CURLOPT_POST, 1L);
            curl_easy_setopt(handle, CURLOPT_POSTFIELDS, "");
            break;
        case WebFetchRequest::Method::Head:
            curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
            break;
        case WebFetchRequest::Method::Get:
            break;
    }

    curl::HeaderList headerList;
    const std::string headers = WebFetchHeaders(request.extraHeaders, request.url);
    for (std::size_t from = 0; from < headers.size();) {
        const std::size_t end = std::min(headers.find("\r\n", from), headers.size());
        const std::string line = headers.substr(from, end - from);
        from = end + 2;
        if (!line.empty() && !curl::Append(headerList, line)) {
            return {};
        }
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());

    curl::CappedBody body(kWebFetchLimit);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, curl::CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(handle) != CURLE_OK) {
        return {};
    }
    return std::move(body.bytes);
}

}  // namespace qvpc
