#pragma once

#include <string>
#include <string_view>

namespace qvpc {

// A text off the network or from a box as one short line of the log: valid
// UTF-8, control characters as blanks, cut after kLoggedBytes with "…".
std::string LoggableText(std::string_view text);

inline constexpr std::size_t kLoggedBytes = 80;

}  // namespace qvpc
