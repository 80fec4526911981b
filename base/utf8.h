#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvpc {

// Appends a code point as UTF-8; a surrogate or a value past U+10FFFF
// becomes U+FFFD, since UTF-8 cannot hold it.
void AppendUtf8(std::string& out, char32_t codePoint);

// The text with every invalid UTF-8 sequence replaced by U+FFFD: what the
// network sends is shown, stored and used in file names only as valid text.
std::string ValidUtf8(std::string_view text);

// The longest prefix of valid UTF-8 text that has at most maxBytes bytes and
// ends on a character boundary.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

}  // namespace qvpc
