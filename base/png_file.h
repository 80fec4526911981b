#pragma once

#include <string>

namespace qvpc {

// Whether path names a regular file that begins like a PNG picture. An empty
// or missing file, or anything else, is no picture.
bool IsPngFile(const std::string& path);

}  // namespace qvpc
