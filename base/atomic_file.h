#pragma once

#include <sys/types.h>

#include <span>
#include <string>

namespace qvpc {

// Writes bytes to path with the given permissions, replacing what is there:
// written beside it, flushed to the disk and renamed over it, so nobody ever
// finds half a file, and a running program's file is replaced, not changed.
// False when that failed; path is then as it was.
bool WriteFileReplacing(const std::string& path, std::span<const unsigned char> bytes,
                        mode_t mode = 0644);

}  // namespace qvpc
