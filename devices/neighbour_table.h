#pragma once

#include <cstdint>

#include "devices/local_network.h"

namespace qvpc {

// The hardware address of an IPv4 address on a local link, from the kernel's
// neighbour table. An address no local network holds is never sent anything
// (kNotOnLink). Otherwise, when the table has no complete entry yet, one
// datagram to the address's discard port makes the kernel resolve it, and
// the table is read again for a short while; an address that stays
// unresolved is kNoAnswer. The machine's own address gives its interface's.
// The address is in network byte order.
ArpAnswer KernelArp(std::uint32_t ipv4);

}  // namespace qvpc
