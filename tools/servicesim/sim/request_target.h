#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvpc::servicesim {

// A request target ("/openapi/list.php?modid=8&chanel=kestrunebox&s=0&e=9")
// split the way PHP reads it: the path, and the query as ordered name/value
// pairs, both percent-decoded ("+" is a blank in the query).
struct RequestTarget {
    std::string raw;
    std::string path;
    std::string rawQuery;
    std::vector<std::pair<std::string, std::string>> query;

    static RequestTarget Parse(std::string_view raw);

    // The first value of the name, if the query has it.
    std::optional<std::string> param(std::string_view name) const;
};

}  // namespace qvpc::servicesim
