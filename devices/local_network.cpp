#include "devices/local_network.h"

#include "devices/local_addresses.h"
#include "devices/neighbour_table.h"

namespace qvpc {

LocalNetwork LocalNetwork::Machine() {
    return {.addresses = LocalIpv4Addresses, .arp = KernelArp};
}

}  // namespace qvpc
