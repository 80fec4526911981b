#pragma once

#include <string>
#include <vector>

namespace qvpc {

// One catalog entry as the servers send it, every field text (possibly
// empty), in the order of the entry's fields.
struct CatalogItem {
    std::string total;        // 0 "allnum": the whole list's number of entries
    std::string id;           // 1 "appid"
    std::string downloadUrl;  // 2 "downurl"
    std::string updateTime;   // 3 "lastapp", compared as opaque text
    std::string name;         // 4 "apptitle"
    std::string iconUrl;      // 5 "appico"
    std::string version;      // 6 "appver"
    std::string size;         // 7 "appsize", as the server writes it
    std::string description;  // 8 "summary"
    std::string package;      // 9 "packname"
    std::string thumbnails;   // 10 "piclist", only in tagged lists

    bool operator==(const CatalogItem&) const = default;
};

using CatalogItems = std::vector<CatalogItem>;

}  // namespace qvpc
