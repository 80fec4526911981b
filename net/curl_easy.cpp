#include "net/curl_easy.h"

#include <algorithm>
#include <mutex>

namespace qvpc::curl {

bool Append(HeaderList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) {
        return false;
    }
    list.release();
    list.reset(grown);
    return true;
}

namespace {

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

Easy NewEasy() {
    GlobalInitOnce();
    return Easy(curl_easy_init());
}

Multi NewMulti() {
    GlobalInitOnce();
    return Multi(curl_multi_init());
}

void SetPhaseTimeouts(CURL* curl, long timeoutMs) {
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, timeoutMs / 1000));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs * 4);
}

std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<CappedBody*>(user);
    const std::size_t bytes = size * count;
    if (body->bytes.size() + bytes > body->limit) {
        body->overLimit = true;
        return 0;
    }
    body->bytes.append(data, bytes);
    return bytes;
}

}  // namespace qvpc::curl
