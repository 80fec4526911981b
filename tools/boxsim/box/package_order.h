#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "boxsim/box/package_manager.h"

namespace qvpc::boxsim {

// Java's String.hashCode over the UTF-16 of a UTF-8 name (an invalid byte
// counts as U+FFFD, as Java's decoder makes it).
int32_t JavaStringHash(std::string_view utf8);

// The order in which pm and dumpsys walk the packages: by name on 4.2, in
// HashMap order on 4.4 (libcore's hash spread, buckets of a power-of-two
// table), by hash code from 5.0 on (ArrayMap). Ties go by name.
std::vector<const InstalledPackage*> PackageListingOrder(
    std::vector<const InstalledPackage*> packages, int sdk);

}  // namespace qvpc::boxsim
