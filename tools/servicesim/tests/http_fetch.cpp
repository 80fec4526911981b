#include "http_fetch.h"

#include <algorithm>
#include <memory>

namespace qvpc::servicesim::test {
namespace {

size_t OnBody(char* data, size_t size, size_t count, void* target) {
    static_cast<Fetched*>(target)->body.append(data, size * count);
    return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* target) {
    std::string line(data, size * count);
    size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        value.erase(value.find_last_not_of("\r\n") + 1);
        static_cast<Fetched*>(target)->headers.emplace_back(line.substr(0, colon), value);
    }
    return size * count;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::optional<std::string> Fetched::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (Lower(key) == Lower(name)) {
            return value;
        }
    }
    return std::nullopt;
}

Fetched Fetch(const std::string& url, const FetchOptions& options) {
    Fetched result;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(nullptr,
                                                                        &curl_slist_free_all);
    for (const std::string& header : options.headers) {
        headers.reset(curl_slist_append(headers.release(), header.c_str()));
    }
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &result);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &result);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    if (options.postBody) {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, options.postBody->c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE,
                         static_cast<long>(options.postBody->size()));
    }
    if (options.range) {
        curl_easy_setopt(curl.get(), CURLOPT_RANGE, options.range->c_str());
    }
    if (options.userPassword) {
        curl_easy_setopt(curl.get(), CURLOPT_USERPWD, options.userPassword->c_str());
    }
    if (options.passive) {
        curl_easy_setopt(curl.get(), CURLOPT_FTP_USE_EPSV, 0L);
    }
    if (options.resumeFrom > 0) {
        curl_easy_setopt(curl.get(), CURLOPT_RESUME_FROM, options.resumeFrom);
    }
    result.code = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.status);
    return result;
}

std::string Hex(const std::string& pairs) {
    std::string bytes;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(pairs.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

}  // namespace qvpc::servicesim::test
