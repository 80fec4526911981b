#include "sim/paced_body.h"

#include <algorithm>

namespace qvpc::servicesim {
namespace {

// A stalled transfer holds its connection this long at most.
constexpr auto kLongestStall = std::chrono::minutes(5);

}  // namespace

PacedBody::PacedBody(std::shared_ptr<BodySource> body, std::uint64_t bytesPerSecond,
                     std::optional<std::uint64_t> dropAfter,
                     std::optional<std::uint64_t> stallAfter, const StopSignal& stop)
    : m_body(std::move(body)),
      m_bytesPerSecond(bytesPerSecond),
      m_dropAfter(dropAfter),
      m_stallAfter(stallAfter),
      m_stop(stop) {}

long long PacedBody::read(std::uint64_t pos, char* out, std::size_t max) {
    if (pos >= m_body->size()) {
        return 0;
    }
    if (m_dropAfter && pos >= *m_dropAfter) {
        return -1;
    }
    if (m_stallAfter && pos >= *m_stallAfter) {
        m_stop.sleepFor(kLongestStall);
        return -1;
    }
    std::size_t limit = max;
    for (const auto& boundary : {m_dropAfter, m_stallAfter}) {
        if (boundary) {
            limit = std::min<std::uint64_t>(limit, *boundary - pos);
        }
    }
    if (m_bytesPerSecond > 0) {
        // Small pieces, each sent when the rate allows it.
        limit = std::min<std::uint64_t>(limit, std::max<std::uint64_t>(1, m_bytesPerSecond / 20));
        auto due = m_start + std::chrono::microseconds(pos * 1'000'000 / m_bytesPerSecond);
        auto now = std::chrono::steady_clock::now();
        if (due > now && !m_stop.sleepFor(due - now)) {
            return -1;
        }
    }
    long long got = m_body->read(pos, out, limit);
    return got <= 0 ? -1 : got;
}

}  // namespace qvpc::servicesim
