#include "boxsim/device/transfer_limits.h"

#include <thread>

namespace qvpc::boxsim {

TransferLimits::TransferLimits(uint64_t bytesPerSecond, uint64_t dropAfterBytes,
                               std::function<void()> drop)
    : m_rate(bytesPerSecond),
      m_dropAfter(dropAfterBytes),
      m_drop(std::move(drop)),
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
        const auto due = m_start + std::chrono::microseconds(m_total * 1000000 / m_rate);
        std::this_thread::sleep_until(due);
    }
    return true;
}

}  // namespace qvpc::boxsim
