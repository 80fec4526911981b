#pragma once

#include <curl/curl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qvpc::servicesim::test {

struct FetchOptions {
    std::optional<std::string> postBody;  // POST with this body
    std::vector<std::string> headers;     // "Name: value"
    std::optional<std::string> range;     // "0-99"
    long timeoutMs = 10000;
    // FTP: an account ("user:password"; anonymous without), PASV instead of
    // EPSV, a transfer that resumes at an offset.
    std::optional<std::string> userPassword;
    bool passive = false;
    long resumeFrom = 0;
};

inline FetchOptions WithRange(std::string range) {
    FetchOptions options;
    options.range = std::move(range);
    return options;
}

inline FetchOptions WithTimeout(long timeoutMs) {
    FetchOptions options;
    options.timeoutMs = timeoutMs;
    return options;
}

struct Fetched {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::optional<std::string> header(const std::string& name) const;
};

// One request with libcurl (HTTP or FTP), keeping whatever body arrived even when the
// transfer fails.
Fetched Fetch(const std::string& url, const FetchOptions& options = {});

// The GBK bytes written as hexadecimal pairs ("d0a1" → two bytes).
std::string Hex(const std::string& pairs);

}  // namespace qvpc::servicesim::test
