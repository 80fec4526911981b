#include "services/catalog_client.h"

#include <algorithm>

#include "adb/shell_quote.h"
#include "base/keep_window_alive.h"
#include "base/utf8.h"
#include "net/web_fetch.h"
#include "services/catalog_lists.h"
#include "services/lookup_unescape.h"

namespace qvpc {
namespace {

constexpr int kLookupTimeoutSeconds = 5;
constexpr std::string_view kNoneKnown = R"({"allnum":"0"})";

}  // namespace

CatalogClient::CatalogClient(Hosts hosts, WindowLoop& loop)
    : m_hosts(std::move(hosts)), m_loop(loop) {}

std::string CatalogClient::fetchBytes(const std::string& url, int timeoutSeconds) {
    std::string bytes;
    RunKeepingWindowAlive(m_loop, [&] {
        WebFetchRequest request;
        request.url = url;
        request.timeoutSeconds = timeoutSeconds;
        bytes = WebFetch(request);
    });
    return bytes;
}

std::string CatalogClient::fetchText(const std::string& url, int timeoutSeconds) {
    const std::string bytes = fetchBytes(url, timeoutSeconds);
    // The body is text up to its first NUL byte.
    return ValidUtf8(std::string_view(bytes).substr(0, bytes.find('\0')));
}

int CatalogClient::loadJsonList(const std::string& url, CatalogItems& items,
                                std::string* replyTotal) {
    return ParseJsonList(fetchText(url), items, replyTotal);
}

int CatalogClient::loadTaggedList(const std::string& url, CatalogItems& items) {
    return ParseTaggedList(fetchText(url), items);
}

std::string CatalogClient::lookupUrl(const std::vector<std::string>& packages) const {
    std::string url = "http://" + m_hosts.download + "/apinew/soubaonew.php?packs=";
    bool first = true;
    for (const std::string& package : packages) {
        // Anything else could only break the query.
        if (IsValidPackageName(package)) {
            url += (first ? "" : ",") + package;
            first = false;
        }
    }
    return url;
}

std::string CatalogClient::lookupPackages(const std::vector<std::string>& packages) {
    if (std::none_of(packages.begin(), packages.end(), IsValidPackageName)) {
        return {};
    }
    // Taken as it comes: the escapes are decoded below, not by a charset.
    const std::string body = fetchBytes(lookupUrl(packages), kLookupTimeoutSeconds);
    const std::string decoded = ValidUtf8(UnescapeLookupReply(body));
    if (WithoutTrailingSpaces(decoded) == kNoneKnown) {
        return {};
    }
    return decoded;
}

std::string CatalogClient::listUrl(std::string_view requestPath, int start, int end) const {
    // The path carries its own "?" query, which "&s=" and "&e=" extend.
    return "http://" + m_hosts.catalog + "/openapi/" + std::string(requestPath) +
           "&s=" + std::to_string(start) + "&e=" + std::to_string(end);
}

std::string CatalogClient::marketSearchUrl() const {
    return "http://" + m_hosts.download + "/api/soupackzs.php?kw=com.kestrunemarket";
}

}  // namespace qvpc
