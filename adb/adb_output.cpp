#include "adb/adb_output.h"

#include <algorithm>
#include <cctype>

namespace qvpc {

std::string WithoutServerNotes(std::string_view output) {
    std::string kept;
    while (!output.empty()) {
        std::size_t end = output.find('\n');
        std::size_t next = end == std::string_view::npos ? output.size() : end + 1;
        std::string_view line = output.substr(0, next);
        if (!line.starts_with("* daemon ")) {
            kept += line;
        }
        output.remove_prefix(next);
    }
    return kept;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view what) {
    return Lower(text).find(Lower(what)) != std::string::npos;
}

}  // namespace qvpc
