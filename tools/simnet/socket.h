#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qvpc::simnet {

// An owned file descriptor.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : m_fd(other.release()) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);

  private:
    int m_fd = -1;
};

// A listening TCP socket on the IPv4 address and port (0: a free one),
// SO_REUSEADDR; invalid with the reason in error ("ADDRESS:PORT: why") when
// it cannot be bound.
Fd ListenTcp(const std::string& address, uint16_t port, std::string& error, int backlog = 64);
// The local port a socket is bound to.
uint16_t LocalPort(int fd);
// A listening Unix stream socket; an old socket file at the path is replaced.
Fd ListenUnix(const std::string& path, std::string& error);

// Whole-buffer send (no SIGPIPE) and receive; false when the peer is gone.
bool SendAll(int fd, std::string_view data);
bool RecvAll(int fd, char* buffer, size_t length);
// One receive of at most length bytes: 0 at end of stream, -1 on error.
long RecvSome(int fd, char* buffer, size_t length);

void SetReceiveTimeout(int fd, int milliseconds);

}  // namespace qvpc::simnet
