#include "support/adb_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace qvpc::test {

namespace {

constexpr const char* kPortVariable = "ANDROID_ADB_SERVER_PORT";

int freeTcpPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        throw std::runtime_error("no free TCP port for the adb server");
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

}  // namespace

AdbServer::AdbServer() : m_port(freeTcpPort()) {
    if (const char* old = std::getenv(kPortVariable)) {
        m_previous = old;
    }
    ::setenv(kPortVariable, std::to_string(m_port).c_str(), 1);
}

AdbServer::~AdbServer() {
    RunAdb("kill-server", std::chrono::seconds(10));
    if (m_previous) {
        ::setenv(kPortVariable, m_previous->c_str(), 1);
    } else {
        ::unsetenv(kPortVariable);
    }
}

CommandResult RunAdb(const std::string& arguments, std::chrono::milliseconds timeout) {
    return RunCommand("adb " + arguments, timeout);
}

}  // namespace qvpc::test
