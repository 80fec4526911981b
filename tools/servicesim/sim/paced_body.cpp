#include "sim/paced_body.h"

#include <algorithm>

namespace qvpc::servicesim {
namespace {

// A stalled transfer holds its connection this long at most.
constexpr auto kLongestStall = std::chrono::minutes(5);

}  // namespace

PacedBody::PacedBody(std::shared_ptr<BodySource> body, Pace pace, const StopSignal& stop)
    : m_body(std::move(body)), m_pace(pace), m_stop(stop) {}

long long PacedBody::read(std::uint64_t pos, char* out, std::size_t max) {
    if (pos >= m_body->size()) {
        return 0;
    }
    // An endless body ends only here.
    if (m_stop.raised()) {
        return -1;
    }
    const auto& [bytesPerSecond, byteIntervalMs, dropAfter, stallAfter] = m_pace;
    if (dropAfter && pos >= *dropAfter) {
        return -1;
    }
    if (stallAfter && pos >= *stallAfter) {
        m_stop.sleepFor(kLongestStall);
        return -1;
    }
    std::size_t limit = max;
    for (const auto& boundary : {dropAfter, stallAfter}) {
        if (boundary) {
            limit = std::min<std::uint64_t>(limit, *boundary - pos);
        }
    }
    if (byteIntervalMs > 0) {
        // The first byte at once, with the head; each next one after the pause.
        limit = 1;
        if (pos > 0 && !m_stop.sleepFor(std::chrono::milliseconds(byteIntervalMs))) {
            return -1;
        }
    } else if (bytesPerSecond > 0) {
        // Small pieces, each sent when the rate allows it.
        limit = std::min<std::uint64_t>(limit, std::max<std::uint64_t>(1, bytesPerSecond / 20));
        auto due = m_start + std::chrono::microseconds(pos * 1'000'000 / bytesPerSecond);
        auto now = std::chrono::steady_clock::now();
        if (due > now && !m_stop.sleepFor(due - now)) {
            return -1;
        }
    }
    long long got = m_body->read(pos, out, limit);
    return got <= 0 ? -1 : got;
}

}  // namespace qvpc::servicesim
