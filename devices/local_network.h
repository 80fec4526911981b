#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qvpc {

// What asking for an address's hardware address gave, in the terms of the
// address resolution service the program was first written for: 0 with the
// six bytes, or one of its failure codes.
struct ArpAnswer {
    static constexpr int kNoAnswer = 31;     // the device does not answer
    static constexpr int kBadBuffer = 1784;  // the caller's buffer is wrong
    static constexpr int kNotOnLink = 67;    // no local network holds the address

    int error = 0;
    std::array<std::uint8_t, 6> mac{};
};

// The machine's network as the devices part sees it: the local addresses a
// scan starts from, and the neighbour table names are resolved with. Where
// a source is missing (the default) nothing is scanned and nothing resolved,
// so a core built without them never sends a packet to a real network.
struct LocalNetwork {
    std::function<std::vector<std::string>()> addresses;
    // The IPv4 address in network byte order.
    std::function<ArpAnswer(std::uint32_t)> arp;

    // The real ones: the interfaces and the kernel's neighbour table.
    static LocalNetwork Machine();
};

}  // namespace qvpc
