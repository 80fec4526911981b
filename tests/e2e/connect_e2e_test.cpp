// Connecting with the real adb client to simulated boxes.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "adb/device_list.h"
#include "base/unique_fd.h"
#include "support/core_rig.h"
#include "support/loopback.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using test::BoxAt;
using test::BoxFaults;

using namespace std::chrono_literals;

constexpr const char* kAddressMessage = "ip地址不正确，找不到盒子，请尝试使用<自动搜索>";

std::optional<std::string> AdbListsAs(const std::string& address) {
    return ListedState(test::RunAdb("devices", 10s).output, address);
}

TEST(ConnectE2eTest, ABoxConnectsToItsHomePageAndDisconnectsToTheStartPage) {
    const std::string address = test::FreeLoopbackAddress();
    // The program's own tick.
    test::CoreRig rig({BoxAt(address)}, ProgressEngine::Timings{});
    rig.start();

    ASSERT_TRUE(rig.connect(address)) << rig.screen.currentPage();
    EXPECT_EQ(rig.core.connector().lastResult(), "connected");
    EXPECT_EQ(rig.screen.busyTitle(), "正在连接 " + address);
    EXPECT_EQ(AdbListsAs(address), "device");

    rig.core.actions().disconnect();
    EXPECT_EQ(rig.screen.currentPage(), PageId::Start);
    EXPECT_TRUE(test::WaitFor([&] { return !AdbListsAs(address); }, 10s));
}

TEST(ConnectE2eTest, RefusedAndUnauthorisedBoxesEndOnPage3WithTheirMessage) {
    const std::string refused = test::FreeLoopbackAddress();
    const std::string unauthorized = test::FreeLoopbackAddress();
    BoxFaults refuse;
    refuse.refuse = true;
    BoxFaults locked;
    locked.unauthorized = true;
    test::CoreRig rig({BoxAt(refused, refuse), BoxAt(unauthorized, locked)});
    rig.start();

    EXPECT_FALSE(rig.connect(refused));
    EXPECT_EQ(rig.screen.currentPage(), PageId::NotFound);
    EXPECT_EQ(rig.screen.notFoundHint(), kAddressMessage);

    const std::string allowOnTv =
        "盒子需要您的授权，请在电视屏幕上选择<允许USB调试>（可勾选<一律允许>），再重新连接盒子";
    EXPECT_FALSE(rig.connect(unauthorized));
    EXPECT_EQ(rig.screen.notFoundHint(), allowOnTv);
    // adb keeps the box listed; connecting again says "already connected",
    // which is no connection while the box waits for the user.
    rig.screen.ShowPage(PageId::ManualIp);
    EXPECT_FALSE(rig.connect(unauthorized));
    EXPECT_EQ(rig.screen.currentPage(), PageId::NotFound);
    EXPECT_EQ(rig.screen.notFoundHint(), allowOnTv);
    EXPECT_EQ(rig.core.connector().lastResult(), "unconnected");

    // The user taps "Allow" on the TV: "再试一次" connects.
    rig.boxsim->authorize(unauthorized);
    rig.core.actions().retryConnect();
    ASSERT_TRUE(rig.waitForIdle());
    EXPECT_EQ(rig.screen.currentPage(), PageId::Home);
    EXPECT_EQ(rig.core.connector().lastResult(), "connected");
}

TEST(ConnectE2eTest, ABoxThatNeverAnswersTheHandshakeEndsOnPage3) {
    const std::string address = test::FreeLoopbackAddress();
    BoxFaults offline;
    offline.offline = true;
    test::CoreRig rig({BoxAt(address, offline)});
    rig.start();

    // adb 29 gives up on the handshake after 10 s.
    EXPECT_FALSE(rig.connect(address));
    EXPECT_EQ(rig.screen.currentPage(), PageId::NotFound);
    EXPECT_EQ(rig.screen.notFoundHint(), kAddressMessage);
}

TEST(ConnectE2eTest, AConnectThatHangsIsEndedAfterItsLimit) {
    // A listener whose backlog is full drops the SYNs, so adb's connect waits
    // (minutes, as for an address that never answers).
    const std::string address = test::FreeLoopbackAddress();
    UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in box{};
    box.sin_family = AF_INET;
    box.sin_port = htons(5555);
    inet_pton(AF_INET, address.c_str(), &box.sin_addr);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&box), sizeof box), 0);
    ASSERT_EQ(::listen(listener.get(), 0), 0);
    std::vector<UniqueFd> filling;
    for (int i = 0; i < 3; ++i) {
        filling.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        ::connect(filling.back().get(), reinterpret_cast<sockaddr*>(&box), sizeof box);
    }

    test::CoreRig rig({});
    rig.start();
    const auto started = std::chrono::steady_clock::now();
    rig.core.actions().connectTypedAddress(address);
    ASSERT_TRUE(rig.waitForIdle(40s));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 15s);
    EXPECT_EQ(rig.screen.currentPage(), PageId::NotFound);
    EXPECT_EQ(rig.screen.notFoundHint(), kAddressMessage);
    // The hanging adb was ended: the shell takes the next command.
    CommandShell& shell = rig.core.shell();
    shell.resetOutput();
    shell.SendCommand("echo next");
    const std::string prompt = rig.paths.dataDir + ">";
    EXPECT_TRUE(test::WaitFor([&] { return shell.ShellStatus() == prompt; }, 5s));
    EXPECT_TRUE(shell.outputContains("next"));
}

}  // namespace
}  // namespace qvpc
