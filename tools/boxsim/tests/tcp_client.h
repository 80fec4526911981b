#pragma once

#include <chrono>
#include <optional>
#include <string>

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

}  // namespace qvpc::boxsim::testing
