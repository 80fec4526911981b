#pragma once

#include <string>

namespace qvpc::test {

// A loopback address (127.a.b.c, never 127.0.x.x) that no other test running
// at the same time uses: derived from the process id, different on every
// call, and checked free by binding its ports 5555, 8090 and 8988. Give each
// simulated box one, since adb always addresses port 5555.
std::string FreeLoopbackAddress();

}  // namespace qvpc::test
