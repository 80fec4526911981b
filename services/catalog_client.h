#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "services/catalog_item.h"

namespace qvpc {

class WindowLoop;

// Everything that talks to the catalog servers: the catalog API's lists, the
// download server's package lookup and market search, and the icons. Every
// fetch blocks its caller for at most its time-out; on the user-interface
// thread the window stays alive meanwhile.
class CatalogClient {
  public:
    struct Hosts {
        std::string catalog;   // "host" or "host:port" of the catalog API
        std::string download;  // of the download server
    };

    CatalogClient(Hosts hosts, WindowLoop& loop);

    // A GET: the body as text (invalid UTF-8 replaced), empty on any failure.
    std::string fetchText(const std::string& url, int timeoutSeconds = 2);
    // A GET: the body's bytes, empty on any failure.
    std::string fetchBytes(const std::string& url, int timeoutSeconds = 2);

    // The lists of catalog_lists.h, fetched with a 2-second time-out.
    int loadJsonList(const std::string& url, CatalogItems& items,
                     std::string* replyTotal = nullptr);
    int loadTaggedList(const std::string& url, CatalogItems& items);

    // The download server's record of these packages, decoded
    // (UnescapeLookupReply); empty text when none is asked for, none is
    // known ({"allnum":"0"}) or the server does not answer in 5 seconds.
    // Names that are no package names are not asked for.
    std::string lookupPackages(const std::vector<std::string>& packages);

    // "http://" + catalog host + "/openapi/" + request path + "&s=" + start +
    // "&e=" + end.
    std::string listUrl(std::string_view requestPath, int start, int end) const;
    // The market search: the download server's "/api/soupackzs.php?kw=" for
    // the market app.
    std::string marketSearchUrl() const;
    std::string lookupUrl(const std::vector<std::string>& packages) const;

  private:
    Hosts m_hosts;
    WindowLoop& m_loop;
};

}  // namespace qvpc
