#include "support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace qvpc::test {

namespace {

bool portFree(const std::string& address, uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

std::string FreeLoopbackAddress() {
    static std::atomic<unsigned> next{0};
    const unsigned pid = static_cast<unsigned>(::getpid());
    const unsigned a = 1 + pid % 254;
    const unsigned b = (pid / 254) % 256;
    for (int attempt = 0; attempt < 253; ++attempt) {
        const unsigned c = 2 + next++ % 253;
        const std::string address =
            "127." + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
        if (portFree(address, 5555) && portFree(address, 8090) && portFree(address, 8988)) {
            return address;
        }
    }
    throw std::runtime_error("no free loopback address");
}

}  // namespace qvpc::test
