#include "devices/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <memory>

namespace qvpc {
namespace {

struct InterfaceListFree {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

}  // namespace

std::vector<std::string> LocalIpv4Addresses() {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) {
        return {};
    }
    std::unique_ptr<ifaddrs, InterfaceListFree> list(raw);
    std::vector<std::string> addresses;
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            !(entry->ifa_flags & IFF_UP)) {
            continue;
        }
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) {
            addresses.emplace_back(text);
        }
    }
    return addresses;
}

}  // namespace qvpc
