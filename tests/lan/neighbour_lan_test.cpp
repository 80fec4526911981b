// The kernel's neighbour table and the channel's bounded connect, on the
// harness's link: a box that answers ARP, an address nobody holds, the PC's
// own address and one off every local network.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "base/log.h"
#include "devices/command_channel.h"
#include "devices/local_addresses.h"
#include "devices/mac_lookup.h"
#include "devices/neighbour_table.h"
#include "support/fake_screen.h"
#include "support/lan_network.h"
#include "support/temp_dir.h"

namespace qvpc::test {
namespace {

std::uint32_t Ipv4(const std::string& text) {
    in_addr address{};
    inet_pton(AF_INET, text.c_str(), &address);
    return address.s_addr;
}

TEST(NeighbourLanTest, MacsComeFromArpAnswersOnTheLocalLinkOnly) {
    ASSERT_FALSE(WhyNotInsideLanHarness());
    LanNetwork network;
    network.setPcAddress("10.77.1.7/24");
    network.addBox("10.77.1.20", "00:1a:2b:3c:4d:5e");
    network.addBox("10.77.1.21", "02:00:00:00:00:09");
    EXPECT_EQ(LocalIpv4Addresses(), (std::vector<std::string>{"127.0.0.1", "10.77.1.7"}));

    TempDir dir;
    Log log(dir.path() + "/log.txt");
    FakeScreen screen;
    MacLookup macs(log, screen, KernelArp);
    EXPECT_EQ(macs.LookupMac("10.77.1.20"), "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(macs.LookupMac("10.77.1.21"), "02-00-00-00-00-09");

    const struct {
        std::string address;
        int error;
    } failures[] = {
        {"10.77.1.99", ArpAnswer::kNoAnswer},    // nobody holds it
        {"192.0.2.1", ArpAnswer::kNotOnLink},    // off every local network
        {"10.77.1.255", ArpAnswer::kNotOnLink},  // the broadcast address
        {"127.0.0.1", ArpAnswer::kNotOnLink},    // the loopback has no link
    };
    for (const auto& failure : failures) {
        EXPECT_EQ(KernelArp(Ipv4(failure.address)).error, failure.error) << failure.address;
    }
    // The PC's own address has its link's MAC.
    const ArpAnswer own = KernelArp(Ipv4("10.77.1.7"));
    EXPECT_EQ(own.error, 0);
    EXPECT_NE(own.mac, (std::array<std::uint8_t, 6>{}));
}

TEST(NeighbourLanTest, AChannelToAnAddressNobodyHoldsGivesUp) {
    ASSERT_FALSE(WhyNotInsideLanHarness());
    LanNetwork network;
    network.setPcAddress("10.77.1.7/24");
    FakeScreen screen;
    CommandChannel channel(screen, screen);
    EXPECT_FALSE(channel.OpenChannel("10.77.1.99", 8090));
    EXPECT_FALSE(channel.isOpen());
}

}  // namespace
}  // namespace qvpc::test
