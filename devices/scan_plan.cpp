#include "devices/scan_plan.h"

#include "base/log.h"

namespace qvpc {
namespace {

constexpr int kProbePorts[] = {5555, 8090};
constexpr int kFirstHost = 2;
constexpr int kLastHost = 254;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

}  // namespace

std::vector<ProbeTarget> ScanPlan::targets() const {
    std::vector<ProbeTarget> targets;
    targets.reserve(addresses.size() * std::size(kProbePorts));
    for (const std::string& address : addresses) {
        for (int port : kProbePorts) {
            targets.push_back({address, port});
        }
    }
    return targets;
}

ScanPlan PlanScan(const std::vector<std::string>& localAddresses, Log& log,
                  const std::function<void()>& pump) {
    ScanPlan plan;
    const std::string networks = std::to_string(localAddresses.size());
    for (const std::string& address : localAddresses) {
        log.WriteLog(log_category::kOperation, "找到" + networks + "个局域网");
        if (pump) {
            pump();
        }
        const std::vector<std::string> parts = Split(address, '.');
        if (parts.front() == "127") {
            log.WriteLog(log_category::kOperation, "本地IP跳过" + address);
            continue;
        }
        if (parts.size() != 4) {
            continue;
        }
        log.WriteLog(log_category::kOperation, "局域网IP格式合法" + address);
        const std::string network = parts[0] + "." + parts[1] + "." + parts[2] + ".";
        for (int host = kFirstHost; host <= kLastHost; ++host) {
            plan.addresses.push_back(network + std::to_string(host));
        }
        plan.manualPrefix = network;
    }
    return plan;
}

}  // namespace qvpc
