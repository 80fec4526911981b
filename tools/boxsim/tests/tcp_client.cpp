#include "tcp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qvpc::boxsim::testing {

std::optional<std::string> TcpExchange(const std::string& address, int port,
                                       const std::string& send, std::chrono::milliseconds wait,
                                       size_t stopAfterBytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    ::send(fd, send.data(), send.size(), MSG_NOSIGNAL);
    std::string in;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buf[65536];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            break;
        }
        in.append(buf, static_cast<size_t>(n));
        if (stopAfterBytes && in.size() >= stopAfterBytes) {
            break;
        }
    }
    ::close(fd);
    return in;
}

std::optional<HttpReply> HttpGet(const std::string& address, int port, const std::string& target) {
    auto raw =
        TcpExchange(address, port, "GET " + target + " HTTP/1.1\r\nHost: " + address + "\r\n\r\n");
    if (!raw) {
        return std::nullopt;
    }
    HttpReply reply;
    const size_t end = raw->find("\r\n\r\n");
    if (raw->rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) {
        return reply;
    }
    reply.status = std::stoi(raw->substr(9, 3));
    const std::string head = raw->substr(0, end);
    const size_t type = head.find("Content-Type: ");
    if (type != std::string::npos) {
        reply.contentType = head.substr(type + 14, head.find("\r\n", type) - type - 14);
    }
    reply.body = raw->substr(end + 4);
    return reply;
}

RawHost::RawHost(const std::string& address, int port) {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    timeval tv{3, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

RawHost::~RawHost() {
    ::close(m_fd);
}

void RawHost::sendRaw(const std::string& bytes) {
    ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void RawHost::send(uint32_t command, uint32_t arg0, uint32_t arg1, const std::string& payload) {
    sendRaw(EncodeAdbPacket({command, arg0, arg1, payload}));
}

std::optional<AdbPacket> RawHost::receive() {
    std::string header(adb::kHeaderSize, '\0');
    if (!readAll(header)) {
        return std::nullopt;
    }
    auto h = DecodeAdbHeader(header, adb::kHostMaxPayload);
    if (!h) {
        return std::nullopt;
    }
    AdbPacket p{h->command, h->arg0, h->arg1, std::string(h->length, '\0')};
    if (!readAll(p.payload)) {
        return std::nullopt;
    }
    return p;
}

std::optional<std::string> RawHost::receiveBytes(size_t n) {
    std::string bytes(n, '\0');
    return readAll(bytes) ? std::optional(bytes) : std::nullopt;
}

bool RawHost::closedByPeer() {
    char c;
    return ::recv(m_fd, &c, 1, 0) == 0;
}

bool RawHost::quietFor(std::chrono::milliseconds wait) {
    // POLLIN covers bytes and the end of stream; a reset shows as POLLERR.
    pollfd p{m_fd, POLLIN | POLLRDHUP, 0};
    return ::poll(&p, 1, static_cast<int>(wait.count())) == 0;
}

bool RawHost::readAll(std::string& buffer) {
    size_t got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::recv(m_fd, buffer.data() + got, buffer.size() - got, 0);
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace qvpc::boxsim::testing
