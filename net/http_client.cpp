#include "net/http_client.h"

#include <algorithm>
#include <cctype>
#include <regex>

#include "base/gbk.h"
#include "net/curl_easy.h"

namespace qvpc {
namespace {

constexpr long kDefaultTimeoutMs = 30'000;
// A reply larger than this is no reply of the services this client talks to.
constexpr std::size_t kBodyLimit = 64 * 1024 * 1024;

constexpr const char* kDefaultHeaders[] = {
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
    "Accept: text/html, application/xhtml+xml, */*",
    "Accept-Encoding: gbk, GB2312",
    "Accept-Language: zh-cn",
    "Content-Type: application/x-www-form-urlencoded",
    "Cache-Control: no-cache",
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Received {
    std::string body;
    std::string headers;
    bool overLimit = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    if (received->body.size() + bytes > kBodyLimit) {
        received->overLimit = true;
        return 0;
    }
    received->body.append(data, bytes);
    return bytes;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t bytes = size * count;
    // A redirect's own headers are dropped: what counts is the last reply.
    std::string_view line(data, bytes);
    if (line.starts_with("HTTP/")) {
        received->headers.clear();
    }
    if (received->headers.size() + bytes <= kBodyLimit) {
        received->headers.append(data, bytes);
    }
    return bytes;
}

// "HTTP/1.1 200 OK\r\n..." gives "200 OK": the first line from its tenth
// character.
std::string StatusOf(const std::string& headers) {
    const std::size_t end = headers.find("\r\n");
    const std::string first = headers.substr(0, end);
    return first.size() > 9 ? first.substr(9) : std::string();
}

std::string HeaderValue(const std::string& headers, std::string_view name) {
    const std::string lower = Lower(headers);
    const std::string wanted = "\n" + Lower(std::string(name)) + ":";
    const std::size_t at = lower.find(wanted);
    if (at == std::string::npos) {
        return {};
    }
    std::size_t from = at + wanted.size();
    while (from < headers.size() && headers[from] == ' ') {
        ++from;
    }
    const std::size_t end = headers.find("\r\n", from);
    return headers.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// The failure's error text. A failure before anything was sent (the
// connection could not be made in time) is a failed send; one after it,
// with no reply in time, a server that did not answer; a reply cut in the
// middle of its body a failed read.
std::string FailureText(CURLcode code, CURL* curl, const Received& received) {
    switch (code) {
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return "701 解析URL地址失败!";
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SEND_ERROR:
            return "711 发送请求失败!";
        default:
            break;
    }
    curl_off_t connected = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
    if (connected == 0) {
        return "711 发送请求失败!";
    }
    if (!received.headers.empty()) {
        return "713 读取数据失败!";
    }
    return "712 服务器未响应!";
}

// The text of a body: up to its first NUL, and in UTF-8 where the page
// declares its charset.
std::string TextOf(const std::string& body) {
    std::string text = body.substr(0, body.find('\0'));
    const std::string charset = HttpClient::DeclaredCharset(text);
    if (charset.empty() || charset == "utf-8" || charset == "utf8") {
        return text;
    }
    if (charset == "gbk" || charset == "gb2312") {
        return GbkToUtf8(text);
    }
    return CharsetToUtf8(text, charset);
}

}  // namespace

std::string HttpClient::HeadersFor(const std::string& extraHeaders) {
    std::string headers = extraHeaders;
    if (!headers.empty() && !headers.ends_with("\r\n")) {
        headers += "\r\n";
    }
    const std::string lowerExtra = Lower(extraHeaders);
    for (std::string_view header : kDefaultHeaders) {
        const std::string name(header.substr(0, header.find(':') + 1));
        const bool given = name == "Content-Type:"
                               ? extraHeaders.find(name) != std::string::npos
                               : lowerExtra.find(Lower(name)) != std::string::npos;
        if (!given) {
            headers += std::string(header) + "\r\n";
        }
    }
    return headers;
}

std::string HttpClient::DeclaredCharset(const std::string& text) {
    static const std::regex kMeta("<meta.+?charset=[^\\w]?([-\\w]+)", std::regex::icase);
    const std::string head = text.substr(0, 1024);
    std::smatch match;
    if (!std::regex_search(head, match, kMeta)) {
        return {};
    }
    return Lower(match[1].str());
}

HttpReply HttpClient::request(const HttpRequest& request) {
    HttpReply reply;
    curl::Easy easy = curl::NewEasy();
    if (!easy) {
        reply.status = "702 创建WinHttp会话失败!";
        return reply;
    }
    CURL* handle = easy.get();
    if (curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str()) != CURLE_OK ||
        !(request.url.starts_with("http://") || request.url.starts_with("https://"))) {
        reply.status = "701 解析URL地址失败!";
        return reply;
    }
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");

    const long timeoutMs =
        request.timeoutSeconds > 0 ? request.timeoutSeconds * 1000L : kDefaultTimeoutMs;
    curl::SetPhaseTimeouts(handle, timeoutMs);

    const std::string body = Utf8ToGbk(request.body);
    switch (request.method) {
        case HttpRequest::Method::Post:
            curl_easy_setopt(handle, CURLOPT_POST, 1L);
            curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
            curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body.size()));
            break;
        case HttpRequest::Method::Head:
            curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
            break;
        case HttpRequest::Method::Put:
            curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, "PUT");
            curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
            curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body.size()));
            break;
        case HttpRequest::Method::Get:
            break;
    }
    if (request.followRedirects) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
    }

    curl::HeaderList headerList;
    const std::string headers = HeadersFor(request.extraHeaders);
    for (std::size_t from = 0; from < headers.size();) {
        const std::size_t end = headers.find("\r\n", from);
        const std::string line = headers.substr(from, end - from);
        from = end == std::string::npos ? headers.size() : end + 2;
        if (!line.empty() && !curl::Append(headerList, line)) {
            reply.status = "710 设置协议头失败!";
            return reply;
        }
    }
    // curl adds "Expect: 100-continue" to larger posts, which some servers
    // never answer.
    if (!curl::Append(headerList, "Expect:")) {
        reply.status = "710 设置协议头失败!";
        return reply;
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());

    Received received;
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &received);

    const CURLcode code = curl_easy_perform(handle);
    reply.headers = received.headers;
    reply.bytes = received.body;
    if (code != CURLE_OK) {
        reply.status = FailureText(code, handle, received);
        if (reply.status != "713 读取数据失败!") {
            return reply;
        }
    }
    // A read that failed in the middle keeps what arrived; the status is
    // then the reply's own.
    reply.status = StatusOf(received.headers);
    if (!request.followRedirects) {
        reply.location = HeaderValue(received.headers, "Location");
    }
    reply.text = TextOf(received.body);
    return reply;
}

std::string HttpClient::get(const std::string& url, int timeoutSeconds) {
    HttpRequest request;
    request.url = url;
    request.timeoutSeconds = timeoutSeconds;
    return HttpClient::request(request).text;
}

std::string HttpClient::fetch(const std::string& url) {
    curl::Easy easy = curl::NewEasy();
    if (!easy || !(url.starts_with("http://") || url.starts_with("https://"))) {
        return {};
    }
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_USERAGENT,
                     "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
    // The platform's own limits, written down: no fetch waits for ever.
    curl::SetPhaseTimeouts(handle, kDefaultTimeoutMs);
    curl::HeaderList headers;
    for (const std::string& line :
         {std::string("Accept: */*"), "Referer: " + url, std::string("Accept-Language: zh-cn"),
          std::string("Content-Type: application/x-www-form-urlencoded")}) {
        if (!curl::Append(headers, line)) {
            return {};
        }
    }
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    Received received;
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
    // An error page is no picture: only a successful reply counts.
    long status = 0;
    if (curl_easy_perform(handle) != CURLE_OK ||
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 ||
        status > 299) {
        return {};
    }
    return received.body;
}

}  // namespace qvpc
