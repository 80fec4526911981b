#pragma once

#include <string>
#include <vector>

#include "boxsim/box/package_manager.h"

namespace qvpc::boxsim {

// What "dumpsys package NAME" prints on a box of the sdk, packages in the
// order the box walks them. NAME counts as a package when it holds a dot or
// is "android": then only its sections, and nothing at all for a package
// that is not installed; any other word dumps every package. The block under
// "Packages:" has the fields of the box's Android version; an updated
// system app has a second block under "Hidden system packages:".
std::string DumpsysPackage(const std::vector<const InstalledPackage*>& packages, int sdk,
                           const std::string& name);

}  // namespace qvpc::boxsim
