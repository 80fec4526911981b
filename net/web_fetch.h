#pragma once

#include <string>

namespace qvpc {

// One page fetch of the catalog's client.
struct WebFetchRequest {
    enum class Method { Get = 0, Post = 1, Head = 2 };

    std::string url;
    Method method = Method::Get;
    // Each phase gets this long: 1 or more is seconds, -1 a long bound of
    // kLongTimeoutSeconds (no fetch waits for ever), anything else 15 s.
    int timeoutSeconds = 0;
    // Header lines separated by "\r\n".
    std::string extraHeaders;
    bool noRedirect = false;
};

// A synchronous fetch on the calling thread (libcurl, certificates
// verified): the reply's body whatever its status, empty bytes on any
// failure or for a body over kWebFetchLimit.
std::string WebFetch(const WebFetchRequest& request);

// The header lines a fetch sends: the extra headers, then each of Accept,
// Referer, Accept-Language, User-Agent and Content-Type whose name they do
// not hold, lines separated by "\r\n".
std::string WebFetchHeaders(const std::string& extraHeaders, const std::string& url);

inline constexpr std::size_t kWebFetchLimit = 16 * 1024 * 1024;
inline constexpr int kLongTimeoutSeconds = 300;

}  // namespace qvpc
