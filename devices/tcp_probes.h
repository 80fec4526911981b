#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace qvpc {

class Log;

// One address and port to probe, and one that accepted.
struct ProbeTarget {
    std::string address;  // dotted IPv4
    int port = 0;

    bool operator==(const ProbeTarget&) const = default;
};

// TCP connect probes over a list of targets, in order, on the calling thread:
// non-blocking sockets multiplexed with poll. At most kSlots probes are in
// flight, each in a numbered slot (1..kSlots, the lowest free one taken
// first). A probe that has not connected kSlotLifetime after it started is
// abandoned, its socket closed, so a late answer has no effect; a probe that
// is over (connected or refused) frees its slot at once. Each success is
// handed to found in the order the connections completed.
class TcpProbes {
  public:
    static constexpr int kSlots = 100;
    static constexpr std::chrono::milliseconds kSlotLifetime{200};

    struct Hooks {
        // Runs once the last probe has been started.
        std::function<void()> dispatchFinished;
        std::function<void(const ProbeTarget&)> found;
        // Checked between steps: true ends the run early.
        const std::atomic<bool>* stop = nullptr;
    };

    explicit TcpProbes(Log& log) : m_log(log) {}

    void run(const std::vector<ProbeTarget>& targets, const Hooks& hooks);

  private:
    Log& m_log;
};

}  // namespace qvpc
