#pragma once

#include <memory>

#include "boxsim/box/box.h"

namespace qvpc::boxsim {

// The companion app's HTTP service on port 8988 for one connection:
// "/?a=getversion", "/?a=getlist", "/?a=gettype" and the icons at
// "/icons/PACKAGE.png" (the path may be percent-encoded).
void ServeCompanionHttp(int fd, const std::shared_ptr<Box>& box);

// The box's command port 8090: "start adbd" (10 bytes, no line end) gets the
// configured reply and starts the ADB daemon. The connection stays open.
void ServeCommandPort(int fd, const std::shared_ptr<Box>& box);

}  // namespace qvpc::boxsim
