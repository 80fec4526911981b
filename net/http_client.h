#pragma once

#include <string>

namespace qvpc {

// A plain HTTP or HTTPS request, synchronous on the calling thread. Only what
// the program's callers set is here; everything else keeps the defaults.
struct HttpRequest {
    enum class Method { Get = 0, Post = 1, Head = 2, Put = 3 };

    std::string url;
    Method method = Method::Get;
    // Sent as its GBK bytes.
    std::string body;
    // Header lines separated by "\r\n"; a default header whose name is among
    // them is left out.
    std::string extraHeaders;
    // Each phase (connecting, sending, waiting for and reading the reply)
    // gets this long; 0 or less means 30 s.
    int timeoutSeconds = 0;
    bool followRedirects = true;
};

struct HttpReply {
    // The body as text (UTF-8 where the page declares another charset, or
    // GBK, in a meta tag; otherwise as it came, up to its first NUL byte);
    // empty on any failure.
    std::string text;
    // The reply's status ("200 OK"), or the error text of the step that
    // failed ("711 发送请求失败!", ...).
    std::string status;
    std::string bytes;    // the raw body
    std::string headers;  // the raw response headers, lines separated by "\r\n"
    // The Location header when redirects are not followed.
    std::string location;
};

// The program's HTTP client (libcurl): default headers, bounded phases,
// certificates verified, and the error texts 700-713 in the reply's status.
class HttpClient {
  public:
    static HttpReply request(const HttpRequest& request);
    // A GET with the defaults: the text of the reply, empty on any failure.
    static std::string get(const std::string& url, int timeoutSeconds = 0);

    // The simpler byte fetch the icons use: a GET with its own few headers.
    // Empty bytes on any failure.
    static std::string fetch(const std::string& url);

    // The default request headers, each left out when extraHeaders already
    // names it ("Content-Type:" compared with case, the others without).
    static std::string HeadersFor(const std::string& extraHeaders);

    // The charset a page declares in its first 1024 bytes ("<meta ...
    // charset=X"), lower case; empty when none.
    static std::string DeclaredCharset(const std::string& text);
};

}  // namespace qvpc
