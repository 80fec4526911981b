#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace qvpc::curl {

// libcurl's handles, each freed by its owner.
struct EasyCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;

struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using Multi = std::unique_ptr<CURLM, MultiCleanup>;

struct HeaderListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListFree>;

// Appends a line; on failure the list stays as it was and false comes back.
bool Append(HeaderList& list, const std::string& line);

// libcurl's global set-up is not thread-safe; it runs once, before the first
// handle. Then a new easy handle, null when there is none.
Easy NewEasy();
Multi NewMulti();

// The phases' bounds: connecting, and any stretch without a byte received.
// A reply that trickles still ends: the whole request gets a few phases.
void SetPhaseTimeouts(CURL* curl, long timeoutMs);

// A body collected up to a limit; past it the transfer stops.
struct CappedBody {
    explicit CappedBody(std::size_t limit) : limit(limit) {}
    std::size_t limit;
    std::string bytes;
    bool overLimit = false;
};
// The write callback for a CappedBody.
std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* body);

}  // namespace qvpc::curl
