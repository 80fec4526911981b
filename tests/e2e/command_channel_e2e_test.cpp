// The box command channel on port 8090, against boxsim's command port and a
// hand-driven peer, all on loopback addresses of the test's own. The test's
// thread plays the user-interface thread: its waits run the fake screen's
// event loop, which delivers the channel's socket events.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <functional>
#include <thread>

#include "base/log.h"
#include "base/unique_fd.h"
#include "devices/command_channel.h"
#include "support/boxsim_process.h"
#include "support/fake_screen.h"
#include "support/log_text.h"
#include "support/loopback.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

// A peer on address:8090 that serves each connection with the test's script
// (given the connected socket), one connection after the other.
class CommandPeer {
  public:
    CommandPeer(const std::string& address, std::function<void(int)> serve)
        : m_serve(std::move(serve)) {
        m_listener.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int on = 1;
        ::setsockopt(m_listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in self{};
        self.sin_family = AF_INET;
        self.sin_port = htons(8090);
        ::inet_pton(AF_INET, address.c_str(), &self.sin_addr);
        if (::bind(m_listener.get(), reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
            ::listen(m_listener.get(), 4) != 0) {
            throw std::runtime_error("cannot listen on " + address + ":8090");
        }
        m_thread = std::thread([this] {
            while (!m_stop) {
                pollfd ready{m_listener.get(), POLLIN, 0};
                if (::poll(&ready, 1, 50) <= 0) {
                    continue;
                }
                UniqueFd connection(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
                if (connection.valid()) {
                    ++m_accepted;
                    m_serve(connection.get());
                }
            }
        });
    }
    ~CommandPeer() {
        m_stop = true;
        m_thread.join();
    }

    int accepted() const { return m_accepted; }

    // Reads what arrives within the wait (at most size bytes); "" at the end.
    static std::string Read(int fd, std::size_t size, std::chrono::milliseconds wait = 3s) {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (got.size() < size && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) {
                continue;
            }
            char buffer[64];
            const ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, size - got.size()), 0);
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

  private:
    std::function<void(int)> m_serve;
    UniqueFd m_listener;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

class CommandChannelE2eTest : public ::testing::Test {
  protected:
    bool logged(const std::string& text) const {
        return test::LogText(m_log).find("[主进程] " + text + "\r\n") != std::string::npos;
    }
    void runEventsFor(std::chrono::milliseconds duration) { m_screen.runEventLoopFor(duration); }

    test::TempDir m_dir;
    Log m_log{m_dir.path() + "/log.txt"};
    test::FakeScreen m_screen;
    CommandChannel m_channel{m_screen, m_screen};
};

TEST_F(CommandChannelE2eTest, ABoxAskedToStartAdbdAnswersAndListensOnItsAdbPort) {
    const std::string address = test::FreeLoopbackAddress();
    test::BoxSpec box = test::BoxAt(address);
    box.adbListening = false;  // 8090 only, as such boxes come
    test::BoxsimProcess boxsim({box});

    AskBoxToStartAdbd(m_channel, m_log, address);
    EXPECT_TRUE(logged("发送命令返回:ok"));
    EXPECT_EQ(boxsim.received(address, "command"), std::vector<std::string>{"start adbd"});
    EXPECT_EQ(boxsim.state(address)["adb_listening"], true);
    EXPECT_TRUE(m_channel.isOpen()) << "the channel stays open after use";
}

TEST_F(CommandChannelE2eTest, SilenceGivesAnEmptyReplyAndARefusalIsLogged) {
    const std::string silent = test::FreeLoopbackAddress();
    test::BoxSpec box = test::BoxAt(silent);
    box.adbListening = false;
    box.extra["command_reply"] = "";
    test::BoxsimProcess boxsim({box});
    AskBoxToStartAdbd(m_channel, m_log, silent);
    EXPECT_TRUE(logged("发送命令返回:"));

    CommandChannel other(m_screen, m_screen);
    AskBoxToStartAdbd(other, m_log, test::FreeLoopbackAddress());
    EXPECT_TRUE(logged("8090连接失败"));
    EXPECT_FALSE(other.isOpen());
}

TEST_F(CommandChannelE2eTest, AReplyBeforeTheBoxClosesIsReadAndTheNextOpenConnectsAnew) {
    const std::string address = test::FreeLoopbackAddress();
    CommandPeer peer(address, [](int fd) {
        if (CommandPeer::Read(fd, 10) == "start adbd") {
            ::send(fd, "ok", 2, MSG_NOSIGNAL);
        }
        // The connection closes as the script ends.
    });
    ASSERT_TRUE(m_channel.OpenChannel(address, 8090));
    EXPECT_EQ(m_channel.SendChannelCommand("start adbd", 2s), "ok");
    for (int i = 0; i < 100 && m_channel.isOpen(); ++i) {
        runEventsFor(20ms);
    }
    EXPECT_FALSE(m_channel.isOpen()) << "the closure reset the channel";
    ASSERT_TRUE(m_channel.OpenChannel(address, 8090));
    EXPECT_EQ(m_channel.SendChannelCommand("start adbd", 2s), "ok");
    EXPECT_EQ(peer.accepted(), 2);
}

TEST_F(CommandChannelE2eTest, DataNobodyAskedForIsNeverTakenForAReply) {
    const std::string address = test::FreeLoopbackAddress();
    CommandPeer peer(address, [](int fd) {
        ::send(fd, "stale", 5, MSG_NOSIGNAL);
        if (CommandPeer::Read(fd, 10) == "start adbd") {
            ::send(fd, "fresh", 5, MSG_NOSIGNAL);
        }
        CommandPeer::Read(fd, 1);  // until the channel closes
    });
    std::vector<std::string> unasked;
    ASSERT_TRUE(m_channel.OpenChannel(address, 8090,
                                      [&](const std::string& data) { unasked.push_back(data); }));
    for (int i = 0; i < 100 && unasked.empty(); ++i) {
        runEventsFor(20ms);
    }
    EXPECT_EQ(unasked, std::vector<std::string>{"stale"}) << "the data handler got it";
    EXPECT_EQ(m_channel.SendChannelCommand("start adbd", 2s), "fresh");
    m_channel.CloseChannel();
}

TEST_F(CommandChannelE2eTest, AChannelToAnotherBoxIsClosedAndOpenedAnew) {
    const std::string first = test::FreeLoopbackAddress();
    const std::string second = test::FreeLoopbackAddress();
    std::atomic<bool> firstClosed{false};
    CommandPeer one(first, [&](int fd) {
        CommandPeer::Read(fd, 10, 10s);  // ends when the channel closes
        firstClosed = true;
    });
    CommandPeer two(second, [](int fd) {
        if (CommandPeer::Read(fd, 10) == "start adbd") {
            ::send(fd, "two", 3, MSG_NOSIGNAL);
        }
        CommandPeer::Read(fd, 1);
    });
    ASSERT_TRUE(m_channel.OpenChannel(first, 8090));
    ASSERT_TRUE(m_channel.OpenChannel(first, 8090)) << "the open channel is used as it is";
    ASSERT_TRUE(m_channel.OpenChannel(second, 8090));
    EXPECT_EQ(m_channel.SendChannelCommand("start adbd", 2s), "two");
    EXPECT_EQ(one.accepted(), 1);
    for (int i = 0; i < 100 && !firstClosed; ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(firstClosed) << "the first box's connection was closed";
    EXPECT_FALSE(m_channel.OpenChannel("not an address", 8090));
    m_channel.CloseChannel();
}

}  // namespace
}  // namespace qvpc
