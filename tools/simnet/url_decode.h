#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qvpc::simnet {

// "%" plus two hexadecimal digits becomes that byte; with plusIsSpace (form
// and query text) "+" becomes a blank; any other byte stays, a broken
// escape included, as web servers commonly leave it.
std::string PercentDecode(std::string_view text, bool plusIsSpace);

// "a=1&b=2" form or query text as ordered, decoded name/value pairs; a part
// without "=" has an empty value, empty parts are skipped.
std::vector<std::pair<std::string, std::string>> ParseFormText(std::string_view text);

}  // namespace qvpc::simnet
