#include "sim/endpoint.h"

#include <utility>

namespace qvpc::servicesim {
namespace {

constexpr std::pair<Endpoint, std::string_view> kEndpointNames[] = {
    {Endpoint::List, "list"},     {Endpoint::Lookup, "lookup"}, {Endpoint::Search, "search"},
    {Endpoint::Apk, "apk"},       {Endpoint::Icon, "icon"},     {Endpoint::File, "file"},
    {Endpoint::Update, "update"}, {Endpoint::Stats, "stats"},   {Endpoint::Sql, "sql"},
};

constexpr std::pair<Service, std::string_view> kServiceNames[] = {
    {Service::Catalog, "catalog"}, {Service::Download, "download"}, {Service::Update, "update"},
    {Service::Stats, "stats"},     {Service::Sql, "sql"},           {Service::Control, "control"},
    {Service::Ftp, "ftp"},
};

}  // namespace

std::string_view EndpointName(Endpoint endpoint) {
    for (const auto& [value, name] : kEndpointNames) {
        if (value == endpoint) {
            return name;
        }
    }
    return "?";
}

std::optional<Endpoint> EndpointFromName(std::string_view name) {
    for (const auto& [value, text] : kEndpointNames) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

const std::vector<Endpoint>& AllEndpoints() {
    static const std::vector<Endpoint> kAll = [] {
        std::vector<Endpoint> all;
        for (const auto& entry : kEndpointNames) {
            all.push_back(entry.first);
        }
        return all;
    }();
    return kAll;
}

std::string_view ServiceName(Service service) {
    for (const auto& [value, name] : kServiceNames) {
        if (value == service) {
            return name;
        }
    }
    return "?";
}

std::optional<Service> ServiceFromName(std::string_view name) {
    for (const auto& [value, text] : kServiceNames) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

const std::vector<Service>& AllServices() {
    static const std::vector<Service> kAll = [] {
        std::vector<Service> all;
        for (const auto& entry : kServiceNames) {
            all.push_back(entry.first);
        }
        return all;
    }();
    return kAll;
}

Service ServiceOf(Endpoint endpoint) {
    switch (endpoint) {
        case Endpoint::List:
            return Service::Catalog;
        case Endpoint::Lookup:
        case Endpoint::Search:
        case Endpoint::Apk:
        case Endpoint::Icon:
        case Endpoint::File:
            return Service::Download;
        case Endpoint::Update:
            return Service::Update;
        case Endpoint::Stats:
            return Service::Stats;
        case Endpoint::Sql:
            return Service::Sql;
    }
    return Service::Control;
}

}  // namespace qvpc::servicesim
