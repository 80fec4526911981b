#include "adb/typed_address.h"

#include <vector>

namespace qvpc {

bool IsTypedAddressAcceptable(std::string_view typed) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (std::size_t dot = typed.find('.'); dot != std::string_view::npos;
         dot = typed.find('.', from)) {
        parts.push_back(typed.substr(from, dot - from));
        from = dot + 1;
    }
    if (from < typed.size()) {
        parts.push_back(typed.substr(from));
    }
    if (parts.size() <= 3) {
        return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (parts[i].empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace qvpc
