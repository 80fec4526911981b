#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvpc {

// Every value placed on a command line for the shell goes through one of
// these, so a hostile value can never run anything.

// A value made only of A-Za-z0-9._:/@%+=,- is written bare, so ordinary
// command lines read as plain text; anything else is single-quoted for /bin/sh.
std::string ShellWord(std::string_view value);

// A path in double quotes, with ", $, ` and \ escaped inside them.
std::string QuotedPath(std::string_view path);

// Android's package-name grammar: two or more dot-separated segments, each a
// letter followed by letters, digits or underscores, and no longer than a
// file name (kMaxPackageNameBytes).
bool IsValidPackageName(std::string_view name);
inline constexpr std::size_t kMaxPackageNameBytes = 255;

}  // namespace qvpc
