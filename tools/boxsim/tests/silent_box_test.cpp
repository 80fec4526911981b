// A silent box, as one switched off without closing its sockets: nothing
// comes back on any port, it reads no more, and a push under way stalls.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <sstream>

#include "boxsim/device/adb_packet.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::RawHost;

// The CPU time a process has used, user and system.
std::chrono::duration<double> cpuTime(pid_t pid) {
    std::istringstream stat(test::ReadFile("/proc/" + std::to_string(pid) + "/stat"));
    std::string field;
    std::getline(stat, field, ')');  // pid and (comm), which may hold blanks
    for (int i = 0; i < 11; ++i) {
        stat >> field;  // state ... cmajflt
    }
    double user = 0;
    double system = 0;
    stat >> user >> system;
    return std::chrono::duration<double>((user + system) / ::sysconf(_SC_CLK_TCK));
}

// Sends without blocking until the peer's window is full; the bytes it took,
// or nullopt when the connection broke or took far more than a window.
std::optional<size_t> fillWindow(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const std::string chunk(64 * 1024, 'x');
    size_t sent = 0;
    while (sent < (256u << 20)) {
        const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK ? std::optional(sent) : std::nullopt;
        }
        sent += static_cast<size_t>(n);
    }
    return std::nullopt;
}

class SilentBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::BoxSpec box = test::BoxAt(m_address);
        box.commandPort = true;
        box.companionVersion = 3;
        box.companionRunning = true;
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{box});
    }
    void setFaults(uint64_t bytesPerSecond, bool silent) {
        test::BoxFaults faults;
        faults.transferBytesPerSecond = bytesPerSecond;
        faults.silent = silent;
        m_boxsim->setFaults(m_address, faults);
    }
    // Handshake and open a service; returns the box's stream id.
    uint32_t openService(RawHost& host, const std::string& service) {
        host.send(adb::kCnxn, 0x01000001, 1 << 20, "host::");
        auto cnxn = host.receive();
        EXPECT_TRUE(cnxn && cnxn->command == adb::kCnxn);
        host.send(adb::kOpen, 7, 0, service);
        auto okay = host.receive();
        EXPECT_TRUE(okay && okay->command == adb::kOkay && okay->arg1 == 7);
        return okay ? okay->arg0 : 0;
    }

    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_F(SilentBoxTest, NoPortAnswersNorReads) {
    // Connections from before: an interactive shell, the command port, and
    // a companion request whose head is not complete yet.
    RawHost shell(m_address, 5555);
    const uint32_t stream = openService(shell, "shell:");
    auto prompt = shell.receive();
    ASSERT_TRUE(prompt && prompt->command == adb::kWrte);
    shell.send(adb::kOkay, 7, stream);
    RawHost command(m_address, 8090);
    command.sendRaw("start adbd");
    ASSERT_EQ(command.receiveBytes(2), "ok");
    RawHost request(m_address, 8988);
    request.sendRaw("GET /?a=getversion HTTP/1.1\r\n");

    setFaults(0, true);
    m_boxsim->clearReceived(m_address);
    shell.send(adb::kWrte, 7, stream, "getprop ro.product.model\r");
    command.sendRaw("start adbd");
    request.sendRaw("\r\n");
    // New connections are taken by the kernel, then hear nothing either.
    RawHost newAdb(m_address, 5555);
    newAdb.send(adb::kCnxn, 0x01000001, 1 << 20, "host::");
    RawHost newCommand(m_address, 8090);
    newCommand.sendRaw("start adbd");
    RawHost newRequest(m_address, 8988);
    newRequest.sendRaw("GET /?a=getversion HTTP/1.1\r\n\r\n");
    const std::pair<const char*, RawHost*> peers[] = {
        {"shell", &shell},    {"command", &command},        {"request", &request},
        {"new adb", &newAdb}, {"new command", &newCommand}, {"new request", &newRequest}};
    // One wait covers them all: an answer would have come by its end.
    auto wait = 500ms;
    for (const auto& [name, peer] : peers) {
        ASSERT_TRUE(peer->connected()) << name;
        EXPECT_TRUE(peer->quietFor(wait)) << name << " heard something";
        wait = 0ms;
    }
    EXPECT_THAT(m_boxsim->received(m_address), ::testing::IsEmpty());

    // It reads no more: the window fills and stays full.
    auto taken = fillWindow(shell.fd());
    ASSERT_TRUE(taken) << "the box read on or dropped the connection";
    pollfd writable{shell.fd(), POLLOUT, 0};
    EXPECT_EQ(::poll(&writable, 1, 300), 0) << "the box read some of " << *taken << " bytes";

    // Lifted, the fault spares new connections; the silent ones stay so, as
    // after a box was switched off and on.
    setFaults(0, false);
    RawHost later(m_address, 5555);
    later.send(adb::kCnxn, 0x01000001, 1 << 20, "host::");
    auto cnxn = later.receive();
    EXPECT_TRUE(cnxn && cnxn->command == adb::kCnxn);
    EXPECT_EQ(testing::HttpGet(m_address, 8988, "/?a=getversion")->body, "3");
    EXPECT_TRUE(command.quietFor(200ms));
}

TEST_F(SilentBoxTest, APushStallsAndTheBoxDoesNotSpin) {
    test::AdbServer adb;
    test::TempDir dir;
    test::ApkSpec apk;
    apk.packageName = "com.example.big";
    apk.paddingBytes = 1 << 20;
    const std::string path = test::MakeFixtureApk(dir.path(), apk);
    const std::string serial = m_address + ":5555";
    ASSERT_THAT(test::RunAdb("connect " + m_address).output, HasSubstr("connected to " + serial));

    // 1 MiB at 256 KiB/s: under way when the box falls silent, and done long
    // before adb is stopped if the box went on.
    setFaults(256 * 1024, false);
    auto install = std::async(std::launch::async, [&] {
        return test::RunAdb("-s " + serial + " install -r \"" + path + "\"", 10s);
    });
    ASSERT_TRUE(test::WaitFor([&] {
        for (const std::string& line : m_boxsim->received(m_address, "sync")) {
            if (line.starts_with("SEND /data/local/tmp/")) {
                return true;
            }
        }
        return false;
    }));
    setFaults(256 * 1024, true);
    const auto wallStart = std::chrono::steady_clock::now();
    const auto cpuStart = cpuTime(m_boxsim->pid());

    const test::CommandResult result = install.get();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wallStart;
    const auto cpu = cpuTime(m_boxsim->pid()) - cpuStart;
    EXPECT_TRUE(result.timedOut) << result.output;
    EXPECT_THAT(result.output, Not(HasSubstr("pushed")));
    EXPECT_THAT(result.output, Not(HasSubstr("Success")));
    EXPECT_FALSE(m_boxsim->package(m_address, "com.example.big"));
    EXPECT_THAT(m_boxsim->received(m_address, "shell"), ::testing::IsEmpty());
    // Waiting costs nothing: a loop that looks again and again would burn a
    // core for the whole stall.
    EXPECT_LT(cpu.count(), wall.count() / 4)
        << "boxsim used " << cpu.count() << " s of CPU in " << wall.count() << " s";
}

}  // namespace
}  // namespace qvpc::boxsim
