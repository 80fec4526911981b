#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace qvpc::servicesim {

// What a request asks for; faults are chosen per endpoint.
enum class Endpoint { List, Lookup, Search, Apk, Icon, File, Update, Stats, Sql };

// The listeners: each serves the endpoints of one of the real hosts; Ftp
// serves the download files over FTP.
enum class Service { Catalog, Download, Update, Stats, Sql, Control, Ftp };

std::string_view EndpointName(Endpoint endpoint);
std::optional<Endpoint> EndpointFromName(std::string_view name);
const std::vector<Endpoint>& AllEndpoints();

std::string_view ServiceName(Service service);
std::optional<Service> ServiceFromName(std::string_view name);
const std::vector<Service>& AllServices();
Service ServiceOf(Endpoint endpoint);

}  // namespace qvpc::servicesim
