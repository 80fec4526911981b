#pragma once

#include <array>
#include <string_view>

namespace qvpc {

// The catalog's eight categories, in the order of page 9's left list: the
// label and the request path after "/openapi/".
struct CatalogCategory {
    std::string_view label;
    std::string_view requestPath;
};

inline constexpr std::array<CatalogCategory, 8> kCatalogCategories = {{
    {"推荐", "tjlist.php?chanel=kestrunebox"},
    {"直播", "list.php?modid=8&chanel=kestrunebox"},
    {"点播", "list.php?modid=9&chanel=kestrunebox"},
    {"游戏", "allapp.php?type=2&chanel=kestrunebox"},
    {"教育", "list.php?modid=5&chanel=kestrunebox"},
    {"生活", "list.php?modid=4&chanel=kestrunebox"},
    {"娱乐", "list.php?modid=3&chanel=kestrunebox"},
    {"工具", "list.php?modid=6&chanel=kestrunebox"},
}};

}  // namespace qvpc
