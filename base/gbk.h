#pragma once

#include <string>
#include <string_view>

namespace qvpc {

// The program keeps UTF-8 inside; GBK is only where bytes leave in a described
// format (the log, qvpc.ini, the remote SQL message) and where a rule counts
// bytes. Characters GBK cannot hold become "?".
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

// Text in the named charset ("utf-8", "big5", ...) as UTF-8; unchanged when
// the charset is unknown here.
std::string CharsetToUtf8(std::string_view text, const std::string& charset);

// The length of the text in GBK bytes: 1 for ASCII, 2 for a Chinese character.
std::size_t GbkByteLength(std::string_view utf8);

}  // namespace qvpc
