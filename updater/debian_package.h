#pragma once

#include <string>

namespace qvpc::updater {

// Whether the file is a whole Debian package: an ar archive whose members are
// "debian-binary" (format 2.x), a control archive and a data archive, each
// complete, and nothing after them.
bool IsCompleteDebianPackage(const std::string& path);

}  // namespace qvpc::updater
