#pragma once

#include <functional>
#include <string>
#include <vector>

#include "devices/tcp_probes.h"

namespace qvpc {

class Log;

// What a scan probes, from the machine's local addresses: a.b.c.2 to
// a.b.c.254 of each, in order, loopback addresses skipped.
struct ScanPlan {
    std::vector<std::string> addresses;
    // The last network's "a.b.c.", for the manual address field; empty when
    // no network is scanned.
    std::string manualPrefix;

    // Every address on port 5555, then on 8090.
    std::vector<ProbeTarget> targets() const;
};

// Logs each step (category "功能操作"); pump runs between the addresses.
ScanPlan PlanScan(const std::vector<std::string>& localAddresses, Log& log,
                  const std::function<void()>& pump = {});

}  // namespace qvpc
