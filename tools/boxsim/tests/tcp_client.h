#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "boxsim/device/adb_packet.h"

namespace qvpc::boxsim::testing {

// Raw TCP for the tests of boxsim's ports: nullopt when the connection is refused.
// Reads until the peer closes, stopAfterBytes (when not 0) have arrived, or
// the wait is over; a port that keeps the connection open (8090) needs
// stopAfterBytes, or the whole wait passes.
std::optional<std::string> TcpExchange(const std::string& address, int port,
                                       const std::string& send,
                                       std::chrono::milliseconds wait = std::chrono::seconds(5),
                                       size_t stopAfterBytes = 0);

struct HttpReply {
    int status = 0;
    std::string contentType;
    std::string body;
};
// GET http://address:port + target; nullopt when the port refuses.
std::optional<HttpReply> HttpGet(const std::string& address, int port, const std::string& target);

// A hand-driven peer of a box's ports: an ADB host that sends what no real
// host sends, or a plain client of 8090 and 8988. Reads wait at most 3 s.
class RawHost {
  public:
    RawHost(const std::string& address, int port);
    ~RawHost();
    RawHost(const RawHost&) = delete;
    RawHost& operator=(const RawHost&) = delete;

    int fd() const { return m_fd; }
    bool connected() const { return m_connected; }
    void sendRaw(const std::string& bytes);
    void send(uint32_t command, uint32_t arg0, uint32_t arg1, const std::string& payload = "");
    // The next packet, or nullopt when the box closed the connection.
    std::optional<AdbPacket> receive();
    // Exactly n bytes, or nullopt.
    std::optional<std::string> receiveBytes(size_t n);
    bool closedByPeer();
    // True when nothing at all comes within the wait: no bytes, no end of
    // stream, no reset.
    bool quietFor(std::chrono::milliseconds wait);

  private:
    bool readAll(std::string& buffer);
    int m_fd = -1;
    bool m_connected = false;
};

}  // namespace qvpc::boxsim::testing
