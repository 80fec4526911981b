#include "support/lan_network.h"

#include <net/if.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "base/process.h"

namespace qvpc::test {
namespace {

constexpr auto kCommandLimit = std::chrono::seconds(10);

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string NamespaceInode() {
    struct stat info {};
    if (::stat("/proc/self/ns/net", &info) != 0) {
        return {};
    }
    return std::to_string(info.st_ino);
}

struct NameIndexFree {
    void operator()(struct if_nameindex* list) const { if_freenameindex(list); }
};

}  // namespace

std::optional<std::string> WhyNotInsideLanHarness() {
    if (Environment("QVPC_LAN_HARNESS") != "1") {
        return "not started by scripts/lan-harness";
    }
    const std::string here = NamespaceInode();
    if (here.empty() || here != Environment("QVPC_LAN_NETNS")) {
        return "not in the network namespace the harness made";
    }
    if (here == Environment("QVPC_LAN_OUTER_NETNS")) {
        return "in the namespace the harness was started in";
    }
    std::unique_ptr<struct if_nameindex, NameIndexFree> links(if_nameindex());
    if (!links) {
        return "cannot list the links";
    }
    const std::string own = Environment("QVPC_LAN_LINK");
    for (const struct if_nameindex* entry = links.get(); entry->if_index != 0; ++entry) {
        if (std::string(entry->if_name) != "lo" && entry->if_name != own) {
            return std::string("a link the harness did not make: ") + entry->if_name;
        }
    }
    return std::nullopt;
}

LanNetwork::LanNetwork()
    : m_boxNamespace(Environment("QVPC_LAN_BOX_NETNS")), m_link(Environment("QVPC_LAN_LINK")) {
    if (std::optional<std::string> why = WhyNotInsideLanHarness()) {
        throw std::runtime_error("refusing to shape a network: " + *why);
    }
}

LanNetwork::~LanNetwork() {
    for (const std::string& link : m_boxLinks) {
        RunProcess({"nsenter", "--net=" + m_boxNamespace, "ip", "link", "del", link},
                   kCommandLimit);
    }
    for (const std::string& address : m_pcAddresses) {
        RunProcess({"ip", "addr", "del", address, "dev", m_link}, kCommandLimit);
    }
}

void LanNetwork::run(const std::vector<std::string>& argv) const {
    std::optional<ProcessResult> result = RunProcess(argv, kCommandLimit);
    if (!result || result->exitCode != 0) {
        std::string line;
        for (const std::string& word : argv) {
            line += word + " ";
        }
        throw std::runtime_error(line + "failed: " + (result ? result->output : "not started"));
    }
}

void LanNetwork::setPcAddress(const std::string& addressWithPrefix) {
    run({"ip", "addr", "add", addressWithPrefix, "dev", m_link});
    m_pcAddresses.push_back(addressWithPrefix);
}

void LanNetwork::addBox(const std::string& address, const std::string& mac) {
    const std::string link = "qvpc-t" + std::to_string(m_boxLinks.size() + 1);
    const std::vector<std::string> inBoxes = boxLauncher();
    auto inBoxNamespace = [&](std::vector<std::string> argv) {
        argv.insert(argv.begin(), inBoxes.begin(), inBoxes.end());
        run(argv);
    };
    inBoxNamespace({"ip", "link", "add", "link", "qvpc-box0", "name", link, "address", mac, "type",
                    "macvlan", "mode", "bridge"});
    m_boxLinks.push_back(link);
    inBoxNamespace({"ip", "addr", "add", address + "/24", "dev", link});
    inBoxNamespace({"ip", "link", "set", link, "up"});
}

std::vector<std::string> LanNetwork::boxLauncher() const {
    return {"nsenter", "--net=" + m_boxNamespace};
}

}  // namespace qvpc::test
