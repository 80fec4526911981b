#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "sim/body_source.h"
#include "sim/stop_signal.h"

namespace qvpc::servicesim {

// How a body goes out: a rate (0: as fast as it can), or one byte at a
// time with a pause before each next one; a close or a silence after so
// many bytes.
struct Pace {
    std::uint64_t bytesPerSecond = 0;
    std::uint64_t byteIntervalMs = 0;
    std::optional<std::uint64_t> dropAfter;
    std::optional<std::uint64_t> stallAfter;
};

// A body on its way out with the wire faults asked for. HTTP and FTP send
// through it alike.
class PacedBody {
  public:
    PacedBody(std::shared_ptr<BodySource> body, Pace pace, const StopSignal& stop);

    std::uint64_t size() const { return m_body->size(); }

    // The next piece from pos (waiting as the pace asks); 0 at the end; -1
    // when the transfer must break off here: the drop point, the end of a
    // stall, the program stopping, or a read error.
    long long read(std::uint64_t pos, char* out, std::size_t max);

  private:
    std::shared_ptr<BodySource> m_body;
    Pace m_pace;
    const StopSignal& m_stop;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace qvpc::servicesim
