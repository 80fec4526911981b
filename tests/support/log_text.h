#pragma once

#include <string>
#include <string_view>

#include "base/gbk.h"
#include "base/log.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// The log's records as UTF-8, newest first.
inline std::string LogText(const Log& log) {
    return GbkToUtf8(ReadFile(log.path()));
}

// How often part occurs in text, occurrences not overlapping.
inline int Occurrences(std::string_view text, std::string_view part) {
    int count = 0;
    for (std::size_t at = text.find(part); !part.empty() && at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

}  // namespace qvpc::test
