#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvpc::servicesim {

// The services speak GBK where the real servers did (the remote SQL messages
// and cells, the update reply); the double keeps UTF-8 inside.
// A character GBK cannot hold becomes "?".
std::string Utf8ToGbk(std::string_view utf8);
// Nothing when the bytes are not valid GBK.
std::optional<std::string> GbkToUtf8(std::string_view gbk);

// Every byte as "%" plus two upper-case hexadecimal digits, digits and
// letters included.
std::string PercentEncodeAll(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace qvpc::servicesim
