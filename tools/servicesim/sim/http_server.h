#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/body_source.h"
#include "sim/request_target.h"
#include "sim/stop_signal.h"

struct MHD_Daemon;

namespace qvpc::servicesim {

// The largest request body taken; a longer one gets 413.
inline constexpr std::size_t kMaxRequestBody = 1 << 20;

struct HttpRequest {
    std::string protocol = "http";  // or "ftp" (see FtpServer)
    std::string method;
    RequestTarget target;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received
    std::string body;
    std::string peer;

    // The first header of that name, compared without case.
    std::optional<std::string> header(std::string_view name) const;
};

struct HttpResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::shared_ptr<BodySource> body;  // null: empty body
    // Misbehaviour on the wire: a wait before the reply, a body rate or a
    // byte at a time, a close or a silence after so many body bytes (the
    // Content-Length still announces the whole body).
    std::uint64_t delayMs = 0;
    std::uint64_t throttleBytesPerSecond = 0;
    std::uint64_t byteIntervalMs = 0;  // one byte, then this pause before each next one
    std::optional<std::uint64_t> dropAfter;
    std::optional<std::uint64_t> stallAfter;
    // The body goes without a Content-Length (chunked), its size unknown.
    bool unknownLength = false;
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

// One HTTP/1.1 listener (libmicrohttpd, a thread per connection, bounded
// connections, header and body sizes). Stops in its destructor; raise the
// stop signal first so that waits inside replies end.
class HttpServer {
  public:
    // Listens on the IPv4 address and port (0: a free port). Throws
    // std::runtime_error when it cannot.
    HttpServer(const std::string& address, std::uint16_t port, HttpHandler handler,
               const StopSignal& stop);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const { return m_port; }

  private:
    struct Connection;
    struct Callbacks;

    HttpHandler m_handler;
    const StopSignal& m_stop;
    MHD_Daemon* m_daemon = nullptr;
    std::uint16_t m_port = 0;
};

}  // namespace qvpc::servicesim
