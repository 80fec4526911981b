#include "sim/ftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "sim/paced_body.h"
#include "simnet/socket.h"

namespace qvpc::servicesim {
namespace {

constexpr std::size_t kMaxLine = 1024;
constexpr int kIdleTimeoutMs = 60'000;
constexpr int kDataAcceptTimeoutMs = 10'000;
constexpr int kPollStepMs = 200;

// A listener, or std::runtime_error.
simnet::Fd Listen(const std::string& address, std::uint16_t port, int backlog) {
    std::string error;
    simnet::Fd listener = simnet::ListenTcp(address, port, error, backlog);
    if (!listener.valid()) {
        throw std::runtime_error("cannot listen on " + error);
    }
    return listener;
}

// Waits until the descriptor is readable, in short steps so that a stop is
// seen; false on timeout or stop.
bool WaitReadable(int fd, int timeoutMs, const StopSignal& stop, const std::atomic<bool>& closing) {
    for (int waited = 0; waited < timeoutMs; waited += kPollStepMs) {
        if (stop.raised() || closing) {
            return false;
        }
        pollfd pfd{fd, POLLIN, 0};
        int rc = poll(&pfd, 1, kPollStepMs);
        if (rc > 0) {
            return true;
        }
        if (rc < 0 && errno != EINTR) {
            return false;
        }
    }
    return false;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    });
    return text;
}

// Joins a path to the working folder and folds "." and ".."; nothing when it
// climbs above the root.
std::optional<std::string> Resolve(const std::string& cwd, const std::string& path) {
    std::string joined = path.starts_with("/") ? path : cwd + "/" + path;
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= joined.size()) {
        size_t slash = std::min(joined.find('/', pos), joined.size());
        std::string part = joined.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (parts.empty()) {
                return std::nullopt;
            }
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const std::string& part : parts) {
        out += "/" + part;
    }
    return out.empty() ? "/" : out;
}

bool IsFolder(const std::string& path) {
    return path == "/" || path == "/down" || path == "/down/apk" || path == "/down/icon" ||
           path == "/down/update";
}

}  // namespace

class FtpServer::Session {
  public:
    Session(FtpServer& server, simnet::Fd control, std::string peer)
        : m_server(server), m_control(std::move(control)), m_peer(std::move(peer)) {}

    void run() {
        reply("220 servicesim FTP ready");
        std::string line;
        while (readLine(line)) {
            if (!handle(line)) {
                break;
            }
        }
    }

  private:
    bool reply(const std::string& text) {
        std::string out = text + "\r\n";
        return simnet::SendAll(m_control.get(), out);
    }

    bool readLine(std::string& line) {
        while (true) {
            size_t end = m_buffer.find("\r\n");
            if (end != std::string::npos) {
                line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 2);
                return true;
            }
            if (m_buffer.size() > kMaxLine) {
                reply("500 Line too long");
                return false;
            }
            if (!WaitReadable(m_control.get(), kIdleTimeoutMs, m_server.m_stop,
                              m_server.m_closing)) {
                return false;
            }
            char chunk[512];
            ssize_t got = recv(m_control.get(), chunk, sizeof chunk, 0);
            if (got <= 0) {
                return false;
            }
            m_buffer.append(chunk, static_cast<std::size_t>(got));
        }
    }

    // False when the session ends.
    bool handle(const std::string& line) {
        size_t space = line.find(' ');
        std::string verb = Upper(line.substr(0, space));
        std::string argument = space == std::string::npos ? "" : line.substr(space + 1);

        if (verb == "QUIT") {
            reply("221 Goodbye");
            return false;
        }
        if (verb == "USER") {
            m_user = argument;
            m_loggedIn = false;
            return reply("331 Password required for " + argument);
        }
        if (verb == "PASS") {
            if (m_user.empty()) {
                return reply("503 Login with USER first");
            }
            m_password = argument;
            if (m_server.m_account && *m_server.m_account != std::pair(m_user, m_password)) {
                return reply("530 Login incorrect.");
            }
            m_loggedIn = true;
            return reply("230 User logged in");
        }
        if (verb == "SYST") {
            return reply("215 UNIX Type: L8");
        }
        if (verb == "FEAT") {
            return reply("211-Features:\r\n EPSV\r\n PASV\r\n SIZE\r\n REST STREAM\r\n211 End");
        }
        if (verb == "NOOP") {
            return reply("200 NOOP ok");
        }
        if (!m_loggedIn) {
            return reply("530 Please login with USER and PASS");
        }
        if (verb == "PWD" || verb == "XPWD") {
            return reply("257 \"" + m_cwd + "\" is the current directory");
        }
        if (verb == "CWD" || verb == "CDUP") {
            std::optional<std::string> target = Resolve(m_cwd, verb == "CDUP" ? ".." : argument);
            if (!target || !IsFolder(*target)) {
                return reply("550 No such directory");
            }
            m_cwd = *target;
            return reply("250 Directory changed to " + m_cwd);
        }
        if (verb == "TYPE") {
            return reply("200 Type set to " + Upper(argument));
        }
        if (verb == "MODE" || verb == "STRU") {
            return reply("200 OK");
        }
        if (verb == "EPSV" || verb == "PASV") {
            return passive(verb == "EPSV");
        }
        if (verb == "REST") {
            char* end = nullptr;
            unsigned long long offset = std::strtoull(argument.c_str(), &end, 10);
            if (argument.empty() || *end != '\0') {
                return reply("501 REST needs a byte offset");
            }
            m_restart = offset;
            return reply("350 Restarting at " + argument);
        }
        if (verb == "SIZE" || verb == "RETR") {
            return file(verb, argument);
        }
        if (verb == "ABOR") {
            return reply("226 Nothing to abort");
        }
        return reply("502 Command not implemented");
    }

    bool passive(bool extended) {
        try {
            m_passive = Listen(m_server.m_address, 0, 1);
        } catch (const std::exception&) {
            return reply("425 Cannot open a data connection");
        }
        std::uint16_t port = simnet::LocalPort(m_passive.get());
        if (extended) {
            return reply("229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)");
        }
        std::string host = m_server.m_address == "0.0.0.0" ? "127.0.0.1" : m_server.m_address;
        std::replace(host.begin(), host.end(), '.', ',');
        return reply("227 Entering Passive Mode (" + host + "," + std::to_string(port / 256) + "," +
                     std::to_string(port % 256) + ")");
    }

    bool file(const std::string& verb, const std::string& argument) {
        std::optional<std::string> path = Resolve(m_cwd, argument);
        // REST applies to the next RETR only.
        std::uint64_t restart = verb == "RETR" ? std::exchange(m_restart, 0) : 0;
        if (!path || !path->starts_with("/down/")) {
            return reply("550 No such file");
        }
        HttpRequest request;
        request.method = verb;
        request.protocol = "ftp";
        request.target = RequestTarget::Parse(*path);
        request.headers = {{"User", m_user}, {"Password", m_password}};
        if (restart > 0) {
            request.headers.emplace_back("Range", "bytes=" + std::to_string(restart) + "-");
        }
        request.peer = m_peer;
        HttpResponse response = m_server.m_handler(request);
        if (response.status != 200 && response.status != 206) {
            return reply("550 Failed to open file");
        }
        std::shared_ptr<BodySource> body = response.body ? response.body : StringBody("");
        if (verb == "SIZE") {
            return reply("213 " + std::to_string(body->size()));
        }
        if (!m_passive.valid()) {
            return reply("425 Use EPSV or PASV first");
        }
        simnet::Fd listener = std::move(m_passive);
        if (!WaitReadable(listener.get(), kDataAcceptTimeoutMs, m_server.m_stop,
                          m_server.m_closing)) {
            return reply("425 No data connection");
        }
        simnet::Fd data(accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        listener.reset();
        if (!data.valid()) {
            return reply("425 No data connection");
        }
        if (response.delayMs > 0 &&
            !m_server.m_stop.sleepFor(std::chrono::milliseconds(response.delayMs))) {
            return false;
        }
        reply("150 Opening BINARY mode data connection for " + argument + " (" +
              std::to_string(body->size()) + " bytes)");
        PacedBody paced(body,
                        {.bytesPerSecond = response.throttleBytesPerSecond,
                         .byteIntervalMs = response.byteIntervalMs,
                         .dropAfter = response.dropAfter,
                         .stallAfter = response.stallAfter},
                        m_server.m_stop);
        std::vector<char> buffer(32 * 1024);
        std::uint64_t pos = 0;
        while (true) {
            long long got = paced.read(pos, buffer.data(), buffer.size());
            if (got == 0) {
                break;
            }
            if (got < 0) {
                // A broken transfer: the server goes away mid-file.
                return false;
            }
            if (!simnet::SendAll(data.get(),
                                 std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
                data.reset();
                return reply("426 Connection closed; transfer aborted");
            }
            pos += static_cast<std::uint64_t>(got);
        }
        data.reset();
        return reply("226 Transfer complete");
    }

    FtpServer& m_server;
    simnet::Fd m_control;
    simnet::Fd m_passive;
    std::string m_peer;
    std::string m_buffer;
    std::string m_user;
    std::string m_password;
    bool m_loggedIn = false;
    std::string m_cwd = "/";
    std::uint64_t m_restart = 0;
};

FtpServer::FtpServer(const std::string& address, std::uint16_t port, HttpHandler handler,
                     const StopSignal& stop,
                     std::optional<std::pair<std::string, std::string>> account)
    : m_address(address),
      m_handler(std::move(handler)),
      m_account(std::move(account)),
      m_stop(stop) {
    m_listener = Listen(address, port, 16);
    m_port = simnet::LocalPort(m_listener.get());
    m_acceptor = std::thread([this] { acceptLoop(); });
}

FtpServer::~FtpServer() {
    m_closing = true;
    m_acceptor.join();
    std::lock_guard lock(m_mutex);
    for (SessionThread& session : m_sessions) {
        session.thread.join();
    }
}

void FtpServer::reapFinishedSessions() {
    std::lock_guard lock(m_mutex);
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if (*it->done) {
            it->thread.join();
            it = m_sessions.erase(it);
        } else {
            ++it;
        }
    }
}

void FtpServer::acceptLoop() {
    while (WaitReadable(m_listener.get(), 1 << 30, m_stop, m_closing)) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        simnet::Fd control(
            accept4(m_listener.get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC));
        if (!control.valid()) {
            continue;
        }
        reapFinishedSessions();
        if (m_active >= kMaxSessions) {
            simnet::SendAll(control.get(), "421 Too many connections\r\n");
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
        ++m_active;
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard lock(m_mutex);
        std::thread thread([this, done, fd = control.release(), peerText = std::string(text)] {
            Session session(*this, simnet::Fd(fd), peerText);
            session.run();
            --m_active;
            *done = true;
        });
        m_sessions.push_back({std::move(thread), std::move(done)});
    }
}

}  // namespace qvpc::servicesim
