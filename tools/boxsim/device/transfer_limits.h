#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace qvpc::boxsim {

// The transfer faults of a box, applied to the bytes of the sync service:
// a rate limit, and a cut of the whole connection after a byte count.
class TransferLimits {
  public:
    // Waits until the time; false when the transfer's stream went away first.
    using WaitUntil = std::function<bool(std::chrono::steady_clock::time_point)>;

    TransferLimits(uint64_t bytesPerSecond, uint64_t dropAfterBytes, std::function<void()> drop,
                   WaitUntil waitUntil);

    // Counts bytes moved; waits to keep the rate; false once the connection
    // has been cut or the stream is gone.
    bool account(uint64_t bytes);

  private:
    uint64_t m_rate;
    uint64_t m_dropAfter;
    std::function<void()> m_drop;
    WaitUntil m_waitUntil;
    uint64_t m_total = 0;
    std::chrono::steady_clock::time_point m_start;
    bool m_dropped = false;
};

}  // namespace qvpc::boxsim
