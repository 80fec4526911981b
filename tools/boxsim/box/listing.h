#pragma once

#include <string>

#include "boxsim/box/virtual_files.h"

namespace qvpc::boxsim {

// One line of toolbox's ls -l, which every Android from 4.2 to 6.0 runs:
// mode, owner and group padded to 8, the size to 8 (none for a folder), the
// box's local time to the minute, and the last part of the path.
std::string LongListingLine(const std::string& path, const VirtualFiles::Entry& entry);

}  // namespace qvpc::boxsim
