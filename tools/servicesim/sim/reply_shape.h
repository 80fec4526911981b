#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvpc::servicesim {

// How a JSON reply departs from its usual form, as real servers may write it.
struct ReplyShape {
    std::optional<std::string> allnum;   // the list's "allnum" as this text
    std::vector<std::string> asNumbers;  // members whose digits go as JSON numbers
    std::vector<std::string> missing;    // members left out of the first entry
    // The lookup's "versionname" and "size" with every character escaped:
    // "json" as "\uXXXX", "percent" as "%uXXXX".
    std::optional<std::string> escapes;
    std::string lineEnd;     // one member a line, lines ending so ("\r\n", "\r")
    bool leadingCr = false;  // a carriage return before the reply (and its mark)
    // Titles, ids, package names, summaries and the names in the icon and
    // APK addresses made to break whoever handles them carelessly (see
    // hostile_names.h).
    bool hostile = false;

    bool isUsual() const {
        return !allnum && asNumbers.empty() && missing.empty() && !escapes && lineEnd.empty() &&
               !leadingCr && !hostile;
    }
};

}  // namespace qvpc::servicesim
