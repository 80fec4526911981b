#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qvpc::test {

// A file of an archive: its name and content.
using ArchiveMember = std::pair<std::string, std::string>;

// A ustar archive of regular files (gzip-compressed when asked), as tar
// writes it: 512-byte headers, content padded to blocks, two zero blocks.
std::string TarArchive(const std::vector<ArchiveMember>& files, bool gzip);

// An ar archive, the format of a Debian package.
std::string ArArchive(const std::vector<ArchiveMember>& members);

// A Debian package of that shape: "debian-binary" ("2.0\n"), a control and a
// data archive.
std::string DebianPackage();

}  // namespace qvpc::test
