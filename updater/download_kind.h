#pragma once

#include <string>

namespace qvpc::updater {

// What a downloaded file is, told by its first bytes, never by its name.
enum class DownloadKind {
    Program,        // an ELF executable
    Archive,        // a tar archive, gzip-compressed or not
    DebianPackage,  // a .deb
    Unknown,        // anything else: an error page, a truncated file
};

DownloadKind KindOf(const std::string& path);

}  // namespace qvpc::updater
