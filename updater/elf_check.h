#pragma once

#include <string>

namespace qvpc::updater {

// Whether the file is a whole program this computer runs: an ELF executable
// of the updater's own class and machine whose headers, segments and section
// table all lie inside the file (a cut download fails here). why says what is
// wrong otherwise.
bool IsCompleteProgram(const std::string& path, std::string& why);

}  // namespace qvpc::updater
