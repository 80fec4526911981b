#pragma once

#include <string>
#include <vector>

namespace qvpc {

// The IPv4 addresses of the machine's interfaces that are up, loopback
// included, in the order the system lists them, each as four decimal octets
// joined by ".".
std::vector<std::string> LocalIpv4Addresses();

}  // namespace qvpc
