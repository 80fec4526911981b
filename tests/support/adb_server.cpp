#include "support/adb_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace qvpc::test {

namespace {

namespace fs = std::filesystem;

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

std::optional<std::string> Variable(const char* name) {
    if (const char* value = std::getenv(name)) {
        return value;
    }
    return std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

// The key every test of this build shares, made by the first test that needs
// it while the others wait on the lock: an ADB server without a key makes one
// at its start, which costs every test a moment and writes into HOME.
std::string SharedKeyDir() {
    const std::string dir = std::string(QVPC_BUILD_DIR) + "/test-adb-key";
    fs::create_directories(dir);
    const int lock = ::open((dir + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        throw std::runtime_error("cannot lock " + dir);
    }
    if (!fs::exists(dir + "/adbkey") || !fs::exists(dir + "/adbkey.pub")) {
        const CommandResult made = RunCommand("adb keygen '" + dir + "/new'");
        std::error_code ec;
        fs::rename(dir + "/new.pub", dir + "/adbkey.pub", ec);
        fs::rename(dir + "/new", dir + "/adbkey", ec);
        if (made.exitCode != 0 || ec) {
            ::close(lock);
            throw std::runtime_error("adb keygen failed: " + made.output);
        }
    }
    ::close(lock);
    return dir;
}

}  // namespace

AdbServer::AdbServer()
    : m_port(freeTcpPort()),
      m_previousPort(Variable(kPortVariable)),
      m_previousHome(Variable("HOME")) {
    const std::string keys = SharedKeyDir();
    const std::string android = m_home.path() + "/.android";
    fs::create_directories(android);
    fs::copy_file(keys + "/adbkey", android + "/adbkey");
    fs::copy_file(keys + "/adbkey.pub", android + "/adbkey.pub");
    ::setenv("HOME", m_home.path().c_str(), 1);
    ::setenv(kPortVariable, std::to_string(m_port).c_str(), 1);
}

AdbServer::~AdbServer() {
    // The server was started under the private HOME (a test may have moved
    // HOME meanwhile); it is stopped from there too.
    ::setenv("HOME", m_home.path().c_str(), 1);
    RunAdb("kill-server", std::chrono::seconds(10));
    Restore(kPortVariable, m_previousPort);
    Restore("HOME", m_previousHome);
}

CommandResult RunAdb(const std::string& arguments, std::chrono::milliseconds timeout) {
    return RunCommand("adb " + arguments, timeout);
}

}  // namespace qvpc::test
