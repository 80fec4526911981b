#include "devices/remote_sql.h"

#include <algorithm>
#include <cctype>

#include "base/gbk.h"
#include "devices/remote_sql_message.h"
#include "net/http_client.h"

namespace qvpc {
namespace {

constexpr int kPhaseSeconds = 2;

// In this order; the client's own defaults are all replaced by them.
constexpr const char* kHeaders =
    "Accept: */*\r\n"
    "Accept-Language: zh-CN\r\n"
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Accept-Encoding: deflate\r\n"
    "Connection: Keep-Alive\r\n"
    "Cache-Control: no-cache\r\n";

std::string HostOf(const std::string& url) {
    std::size_t from = url.find("://");
    from = from == std::string::npos ? 0 : from + 3;
    std::string host = url.substr(from, url.find_first_of("/?#", from) - from);
    if (const std::size_t at = host.rfind('@'); at != std::string::npos) {
        host.erase(0, at + 1);
    }
    host = host.substr(0, host.find(':'));
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    while (host.ends_with('.')) {
        host.pop_back();
    }
    return host;
}

// A name under ".invalid" never resolves (RFC 6761), so asking the resolver
// about the unconfigured default address would only send a query out.
bool NeverResolves(const std::string& url) {
    const std::string host = HostOf(url);
    return host == "invalid" || host.ends_with(".invalid");
}

// The status code of the reply's first line ("HTTP/1.1 200 OK", "HTTP/2 200"),
// 0 when there was no reply.
int StatusCode(const std::string& headers) {
    if (!headers.starts_with("HTTP/")) {
        return 0;
    }
    const std::size_t space = headers.find(' ');
    if (space == std::string::npos) {
        return 0;
    }
    int code = 0;
    for (std::size_t at = space + 1;
         at < headers.size() && std::isdigit(static_cast<unsigned char>(headers[at])); ++at) {
        code = code * 10 + (headers[at] - '0');
    }
    return code;
}

// A reply whose body stopped before its announced length: the read failed.
bool CutShort(const HttpReply& reply) {
    std::string lower = reply.headers;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t at = lower.find("\ncontent-length:");
    if (at == std::string::npos) {
        return false;
    }
    const std::size_t from = lower.find_first_not_of(' ', at + 16);
    std::size_t length = 0;
    for (std::size_t i = from;
         i < lower.size() && std::isdigit(static_cast<unsigned char>(lower[i])); ++i) {
        length = length * 10 + static_cast<std::size_t>(lower[i] - '0');
    }
    return length != reply.bytes.size();
}

}  // namespace

RemoteSql::RemoteSql(std::string url, std::string remoteId, std::function<int()> token)
    : m_url(std::move(url)), m_remoteId(std::move(remoteId)), m_token(std::move(token)) {}

int RemoteSql::token() const {
    return m_token ? m_token() : remote_sql::ClockToken();
}

std::string RemoteSql::post(const std::string& message) const {
    if (m_url.empty() || NeverResolves(m_url)) {
        return std::string(remote_sql::kFailure);
    }
    HttpRequest request;
    request.url = m_url;
    request.method = HttpRequest::Method::Post;
    request.body = remote_sql::FormBody(message);
    request.extraHeaders = kHeaders;
    request.timeoutSeconds = kPhaseSeconds;
    const HttpReply reply = HttpClient::request(request);
    // Only a reply of the service counts; an error page is a failed request.
    const int status = StatusCode(reply.headers);
    if (status < 200 || status > 299 || CutShort(reply)) {
        return std::string(remote_sql::kFailure);
    }
    return GbkToUtf8(reply.bytes);
}

RemoteSql::Selection RemoteSql::Select(const std::string& table, const std::string& column,
                                       const std::string& where) {
    Selection selection;
    selection.reply = post(remote_sql::SelectMessage(token(), m_remoteId, table, column, where));
    selection.cells = remote_sql::SplitCells(selection.reply);
    return selection;
}

int RemoteSql::CountRows(const std::string& table, const std::string& where) {
    return remote_sql::ReplyNumber(
        post(remote_sql::CountMessage(token(), m_remoteId, table, where)));
}

bool RemoteSql::Execute(const std::string& sql) {
    return remote_sql::ReplyNumber(post(remote_sql::ExecuteMessage(token(), m_remoteId, sql))) == 1;
}

}  // namespace qvpc
