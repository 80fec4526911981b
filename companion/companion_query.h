#pragma once

#include <string>

namespace qvpc {

// The companion app's requests on the box's port 8988: 0 "getversion",
// 1 "getlist", 2 "gettype".
enum CompanionAction : int {
    kGetVersion = 0,
    kGetList = 1,
    kGetType = 2,
};

// The companion's reply (UTF-8, as it sends it) to the action, asked of the
// box at boxIp with the time-out on every phase; empty when it does not
// answer, and for an unknown action, which sends nothing.
std::string CompanionQuery(const std::string& boxIp, int action, int timeoutSeconds = 1);

}  // namespace qvpc
