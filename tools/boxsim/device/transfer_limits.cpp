#include "boxsim/device/transfer_limits.h"

namespace qvpc::boxsim {

TransferLimits::TransferLimits(uint64_t bytesPerSecond, uint64_t dropAfterBytes,
                               std::function<void()> drop, WaitUntil waitUntil)
    : m_rate(bytesPerSecond),
      m_dropAfter(dropAfterBytes),
      m_drop(std::move(drop)),
      m_waitUntil(std::move(waitUntil)),
      m_start(std::chrono::steady_clock::now()) {}

bool TransferLimits::account(uint64_t bytes) {
    if (m_dropped) {
        return false;
    }
    m_total += bytes;
    if (m_dropAfter > 0 && m_total >= m_dropAfter) {
        m_dropped = true;
        m_drop();
        return false;
    }
    if (m_rate > 0) {
        // A slow box holds a chunk for many seconds: the wait ends early when
        // the host or boxsim itself ends the connection.
        return m_waitUntil(m_start + std::chrono::microseconds(m_total * 1000000 / m_rate));
    }
    return true;
}

}  // namespace qvpc::boxsim
