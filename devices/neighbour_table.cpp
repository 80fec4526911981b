#include "devices/neighbour_table.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "base/unique_fd.h"

namespace qvpc {
namespace {

// How long one lookup waits for the kernel's resolution: a box on the link
// answers in far less, and the callers try again.
constexpr auto kResolveWait = std::chrono::milliseconds(20);
constexpr auto kResolvePoll = std::chrono::milliseconds(2);
constexpr std::uint16_t kDiscardPort = 9;
constexpr unsigned kCompleteFlag = 0x2;  // ATF_COM

struct InterfaceListFree {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
using InterfaceList = std::unique_ptr<ifaddrs, InterfaceListFree>;

struct Link {
    std::string interface;
    bool own = false;  // the address is the machine's own on that interface
};

std::uint32_t Ipv4Of(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

// The local link that holds the address: an interface that is up, not the
// loopback, whose network contains it (its network and broadcast addresses
// excluded).
std::optional<Link> LinkOf(const InterfaceList& list, std::uint32_t ipv4) {
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_netmask ||
            !(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK)) {
            continue;
        }
        const std::uint32_t own = Ipv4Of(entry->ifa_addr);
        const std::uint32_t mask = Ipv4Of(entry->ifa_netmask);
        if (own == ipv4) {
            return Link{entry->ifa_name, true};
        }
        const std::uint32_t host = ipv4 & ~mask;
        if ((own & mask) == (ipv4 & mask) && host != 0 && host != ~mask) {
            return Link{entry->ifa_name, false};
        }
    }
    return std::nullopt;
}

std::optional<std::array<std::uint8_t, 6>> InterfaceMac(const InterfaceList& list,
                                                        const std::string& interface) {
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_PACKET &&
            interface == entry->ifa_name) {
            const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
            if (link->sll_halen != 6) {
                return std::nullopt;
            }
            std::array<std::uint8_t, 6> mac{};
            std::copy(link->sll_addr, link->sll_addr + 6, mac.begin());
            return mac;
        }
    }
    return std::nullopt;
}

// The complete entry of the address on the interface in /proc/net/arp:
// "IP address  HW type  Flags  HW address  Mask  Device".
std::optional<std::array<std::uint8_t, 6>> ResolvedEntry(const std::string& address,
                                                         const std::string& interface) {
    std::ifstream table("/proc/net/arp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string ip, type, flags, hardware, mask, device;
        if (!(fields >> ip >> type >> flags >> hardware >> mask >> device) || ip != address ||
            device != interface) {
            continue;
        }
        if ((std::strtoul(flags.c_str(), nullptr, 16) & kCompleteFlag) == 0) {
            return std::nullopt;
        }
        std::array<unsigned, 6> bytes{};
        if (std::sscanf(hardware.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x", &bytes[0], &bytes[1],
                        &bytes[2], &bytes[3], &bytes[4], &bytes[5]) != 6) {
            return std::nullopt;
        }
        std::array<std::uint8_t, 6> mac{};
        for (std::size_t i = 0; i < 6; ++i) {
            mac[i] = static_cast<std::uint8_t>(bytes[i]);
        }
        return mac;
    }
    return std::nullopt;
}

// One datagram the kernel must resolve the address for.
void Nudge(std::uint32_t ipv4) {
    UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid()) {
        return;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(kDiscardPort);
    peer.sin_addr.s_addr = ipv4;
    const char byte = 0;
    ::sendto(socket.get(), &byte, 1, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
}

}  // namespace

ArpAnswer KernelArp(std::uint32_t ipv4) {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) {
        return {ArpAnswer::kNotOnLink, {}};
    }
    const InterfaceList list(raw);
    const std::optional<Link> link = LinkOf(list, ipv4);
    if (!link) {
        return {ArpAnswer::kNotOnLink, {}};
    }
    if (link->own) {
        const auto mac = InterfaceMac(list, link->interface);
        return mac ? ArpAnswer{0, *mac} : ArpAnswer{ArpAnswer::kNoAnswer, {}};
    }
    char text[INET_ADDRSTRLEN] = {};
    in_addr address{ipv4};
    inet_ntop(AF_INET, &address, text, sizeof text);
    if (const auto mac = ResolvedEntry(text, link->interface)) {
        return {0, *mac};
    }
    Nudge(ipv4);
    const auto deadline = std::chrono::steady_clock::now() + kResolveWait;
    do {
        std::this_thread::sleep_for(kResolvePoll);
        if (const auto mac = ResolvedEntry(text, link->interface)) {
            return {0, *mac};
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return {ArpAnswer::kNoAnswer, {}};
}

}  // namespace qvpc
