#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvpc::test {

// Why this process may not touch a network: nothing when it runs inside the
// private network scripts/lan-harness made for it (the harness's marker, the
// namespace the harness recorded and not the one it started in, and no link
// but the loopback and the harness's own), else the reason. Tests that scan,
// probe or resolve addresses refuse to run without it.
std::optional<std::string> WhyNotInsideLanHarness();

// The harness's network as a test shapes it: the PC's address on its link,
// boxes (addresses with MACs of their own) in the boxes' namespace. What it
// adds goes when it goes. Construct it only inside the harness; it throws
// std::runtime_error otherwise.
class LanNetwork {
  public:
    LanNetwork();
    ~LanNetwork();
    LanNetwork(const LanNetwork&) = delete;
    LanNetwork& operator=(const LanNetwork&) = delete;

    // "10.77.1.7/24" on the PC's link.
    void setPcAddress(const std::string& addressWithPrefix);
    // A box's address (in the PC's /24) and MAC ("02:00:00:00:00:01").
    void addBox(const std::string& address, const std::string& mac);

    // The words that start a program in the boxes' namespace.
    std::vector<std::string> boxLauncher() const;

  private:
    void run(const std::vector<std::string>& argv) const;

    std::string m_boxNamespace;
    std::string m_link;
    std::vector<std::string> m_pcAddresses;
    std::vector<std::string> m_boxLinks;
};

}  // namespace qvpc::test
