#include "simnet/socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qvpc::simnet {

void Fd::reset(int fd) {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
}

Fd ListenTcp(const std::string& address, uint16_t port, std::string& error, int backlog) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        error = "bad address " + address;
        return {};
    }
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int one = 1;
    if (!fd.valid() || ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        ::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd.get(), backlog) != 0) {
        error = address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        return {};
    }
    return fd;
}

uint16_t LocalPort(int fd) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

Fd ListenUnix(const std::string& path, std::string& error) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        error = "control socket path too long: " + path;
        return {};
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ::unlink(path.c_str());
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd.get(), 16) != 0) {
        error = path + ": " + std::strerror(errno);
        return {};
    }
    return fd;
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool RecvAll(int fd, char* buffer, size_t length) {
    while (length > 0) {
        const long n = RecvSome(fd, buffer, length);
        if (n <= 0) {
            return false;
        }
        buffer += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

long RecvSome(int fd, char* buffer, size_t length) {
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, length, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n;
    }
}

void SetReceiveTimeout(int fd, int milliseconds) {
    timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

}  // namespace qvpc::simnet
