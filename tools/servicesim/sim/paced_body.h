#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "sim/body_source.h"
#include "sim/stop_signal.h"

namespace qvpc::servicesim {

// A body on its way out with the wire faults asked for: a rate, a close or
// a silence after so many bytes. HTTP and FTP send through it alike.
class PacedBody {
  public:
    PacedBody(std::shared_ptr<BodySource> body, std::uint64_t bytesPerSecond,
              std::optional<std::uint64_t> dropAfter, std::optional<std::uint64_t> stallAfter,
              const StopSignal& stop);

    std::uint64_t size() const { return m_body->size(); }

    // The next piece from pos (waiting as the rate asks); 0 at the end; -1
    // when the transfer must break off here: the drop point, the end of a
    // stall, the program stopping, or a read error.
    long long read(std::uint64_t pos, char* out, std::size_t max);

  private:
    std::shared_ptr<BodySource> m_body;
    std::uint64_t m_bytesPerSecond;
    std::optional<std::uint64_t> m_dropAfter;
    std::optional<std::uint64_t> m_stallAfter;
    const StopSignal& m_stop;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace qvpc::servicesim
