#pragma once

#include <optional>
#include <span>
#include <string>

namespace qvpc {

// The MD5 digest as 32 lower-case hexadecimal digits.
std::string Md5Hex(std::span<const unsigned char> bytes);

// The digest of a whole file; nothing when it cannot be read.
std::optional<std::string> FileMd5Hex(const std::string& path);

}  // namespace qvpc
