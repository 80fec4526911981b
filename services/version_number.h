#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qvpc {

// A dotted version ("1.4.2.20") read as its numbers and compared as numbers,
// part by part, a missing part counting as 0: 1.4.10.0 is newer than
// 1.4.9.99, 1.5 newer than 1.4.2.20 and 1.4.2 the same as 1.4.2.0.
class VersionNumber {
  public:
    // Nothing unless the text is decimal numbers joined by "." (at most
    // eight, of at most nine digits each).
    static std::optional<VersionNumber> Parse(std::string_view text);

    std::strong_ordering operator<=>(const VersionNumber& other) const;
    bool operator==(const VersionNumber& other) const {
        return (*this <=> other) == std::strong_ordering::equal;
    }

  private:
    std::vector<std::uint32_t> m_parts;
};

}  // namespace qvpc
