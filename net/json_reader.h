#pragma once

#include <optional>
#include <string_view>

#include "net/json_value.h"

namespace qvpc {

// Reads text as the JavaScript expression of one value, which is what the
// servers' replies were written for: JSON, and the object-literal syntax
// around it (member names without quotes or as numbers, single-quoted
// strings, JavaScript's escapes, comments, trailing commas, undefined, NaN,
// Infinity, hexadecimal and signed numbers, parentheses). Nothing for any
// other text, including a value nested deeper than kMaxDepth.
std::optional<JsonValue> ReadJavaScriptValue(std::string_view text);

inline constexpr int kMaxJsonDepth = 256;

}  // namespace qvpc
