#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "sim/http_server.h"
#include "sim/stop_signal.h"
#include "simnet/socket.h"

namespace qvpc::servicesim {

// A small passive-mode FTP server for the download files, as the transfer
// engine fetches them: USER/PASS (any account, anonymous included, or the one
// account it was given), PWD,
// CWD, CDUP, TYPE, EPSV, PASV, SIZE, REST, RETR, NOOP, QUIT. Each file is
// asked of the same handler as HTTP (method "SIZE" or "RETR", the FTP
// account as the headers "User" and "Password", REST as a Range), so faults
// and the hit record apply alike.
class FtpServer {
  public:
    static constexpr int kMaxSessions = 32;

    // Listens on the IPv4 address and port (0: a free port). Throws
    // std::runtime_error when it cannot.
    // account, when given, is the one user and password let in.
    FtpServer(const std::string& address, std::uint16_t port, HttpHandler handler,
              const StopSignal& stop,
              std::optional<std::pair<std::string, std::string>> account = std::nullopt);
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    std::uint16_t port() const { return m_port; }

  private:
    class Session;
    struct SessionThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void acceptLoop();
    void reapFinishedSessions();

    std::string m_address;
    HttpHandler m_handler;
    std::optional<std::pair<std::string, std::string>> m_account;
    const StopSignal& m_stop;
    simnet::Fd m_listener;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_closing{false};
    std::mutex m_mutex;
    std::list<SessionThread> m_sessions;
    std::atomic<int> m_active{0};
    std::thread m_acceptor;
};

}  // namespace qvpc::servicesim
