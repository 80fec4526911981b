#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "sim/catalog.h"
#include "sim/catalog_replies.h"
#include "sim/endpoint.h"
#include "sim/fault.h"
#include "sim/hit_log.h"
#include "sim/http_server.h"
#include "sim/remote_sql_database.h"
#include "sim/update_reply.h"

namespace qvpc::servicesim {

// The online services behind one object: answers every request of every
// listener, applies the faults in force, records the hits, and serves the
// control API under "/_sim/".
class ServiceSim {
  public:
    struct Settings {
        std::string remoteId = "tessiwop";
        // The one token the SQL service accepts; without one, any token the
        // client can make (0 to 9999, no leading zeros).
        std::optional<std::string> sqlToken;
        UpdateInfo update;
        bool updateUrlGiven = false;  // else it points at this double's update file
    };

    ServiceSim(Catalog catalog, std::unique_ptr<RemoteSqlDatabase> database,
               std::unique_ptr<HitLog> hits, Settings settings);

    // Once the listeners run: where each service is reached, for the URLs
    // the replies carry and the info document.
    void setAddresses(const std::string& host, const std::map<Service, std::uint16_t>& ports);

    // Answers a request that arrived on a listener serving these services.
    HttpResponse handle(const std::vector<Service>& served, const HttpRequest& request);

    FaultTable& faults() { return m_faults; }
    const Catalog& catalog() const { return m_catalog; }
    // The ports, base URLs and example URLs of every service.
    nlohmann::json info() const;

  private:
    struct Content {
        int status = 200;
        std::string contentType;
        std::shared_ptr<BodySource> body;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string text;  // the body when it is text (for a malformed cut)
    };

    HttpResponse serve(Endpoint endpoint, const HttpRequest& request, nlohmann::json& hit);
    Content normalContent(Endpoint endpoint, const HttpRequest& request, nlohmann::json& hit,
                          const Fault& fault);
    Content malformedContent(Endpoint endpoint, const HttpRequest& request, nlohmann::json& hit);
    Content fileContent(const std::string& folder, const std::string& name,
                        const std::string& contentType, const HttpRequest& request);
    Content sqlContent(const HttpRequest& request, nlohmann::json& hit);
    // The text reply declares the charset in a meta tag at its head, and is
    // written in it.
    static void DeclareCharset(Content& content, const std::string& charset);
    HttpResponse control(const HttpRequest& request);

    PublicUrls publicUrls() const;
    UpdateInfo updateInfo() const;

    Catalog m_catalog;
    std::unique_ptr<RemoteSqlDatabase> m_database;
    std::unique_ptr<HitLog> m_hits;
    FaultTable m_faults;

    mutable std::mutex m_mutex;  // guards the members below
    Settings m_settings;
    std::string m_host = "127.0.0.1";
    std::map<Service, std::uint16_t> m_ports;
};

// Where a path goes; nothing for an unknown path.
std::optional<Endpoint> ResolveEndpoint(const std::string& path);

}  // namespace qvpc::servicesim
