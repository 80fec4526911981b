#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "sim/endpoint.h"
#include "sim/reply_shape.h"

namespace qvpc::servicesim {

// How an endpoint misbehaves, or departs from its usual form as real servers
// may. Written as kinds joined by "+", e.g. "slow:3000", "-1", "http:500",
// "drop:4096", "slow:500+throttle:20000", "number:allnum+missing:appico",
// "hostile", "endless", "loris:3000".
struct Fault {
    enum class Reply { Normal, MinusOne, Empty, Malformed, Huge, HttpError };

    Reply reply = Reply::Normal;
    int httpStatus = 0;                        // http:CODE
    std::uint64_t hugeBytes = 64ull << 20;     // huge[:BYTES]
    std::uint64_t delayMs = 0;                 // slow:MS, before the reply starts
    std::uint64_t throttleBytesPerSecond = 0;  // throttle:BPS
    std::optional<std::uint64_t> dropAfter;    // drop:BYTES, then the connection closes
    std::optional<std::uint64_t> stallAfter;   // stall:BYTES, then nothing more is sent
    std::uint64_t byteIntervalMs = 0;          // loris[:MS]: the body a byte at a time
    bool endless = false;                      // endless: the body never ends
    bool jsLiteral = false;                    // literal: JSON replies as JavaScript literals
    ReplyShape shape;  // allnum:, number:, missing:, escape:, crlf, leadcr, hostile
    std::optional<std::string> metaCharset;  // meta:CHARSET, text replies declare it
    bool unknownLength = false;              // nolength: files without Content-Length

    bool isNone() const;
    // The canonical text ("none" for no fault).
    std::string text() const;
    // Nothing, with error set, for an unknown kind or a bad number.
    static std::optional<Fault> Parse(std::string_view spec, std::string& error);
};

// The faults in force, per endpoint; read and changed from any thread.
class FaultTable {
  public:
    Fault get(Endpoint endpoint) const;
    void set(Endpoint endpoint, const Fault& fault);
    void clear();
    std::map<std::string, std::string> describe() const;

  private:
    mutable std::mutex m_mutex;
    std::map<Endpoint, Fault> m_faults;
};

}  // namespace qvpc::servicesim
