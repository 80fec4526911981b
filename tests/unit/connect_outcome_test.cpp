#include "adb/connect_outcome.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(ClassifyConnectOutputTest, ReadsOldAndModernClientsTexts) {
    const std::string ip = "192.168.1.5";
    struct Case {
        const char* what;
        std::string output;
        ConnectRow row;
    };
    const Case cases[] = {
        {"no such device", "No such device 192.168.1.5:5555", ConnectRow::NoSuchDevice},
        {"old server conflict", "ADB server didn't ACK192.168.1.5", ConnectRow::ServerConflict},
        {"modern server conflict",
         "* daemon not running; starting now at tcp:5037\r\nADB server didn't ACK\r\n"
         "Full server startup log: /tmp/adb.1000.log\r\n* failed to start daemon\r\n"
         "error: cannot connect to daemon\r\n",
         ConnectRow::ServerConflict},
        {"old unreachable", "unable to connect to 192.168.1.5:5555", ConnectRow::AddressNotFound},
        {"refused", "failed to connect to '192.168.1.5:5555': Connection refused",
         ConnectRow::AddressNotFound},
        {"timed out", "failed to connect to '192.168.1.5:5555': Connection timed out",
         ConnectRow::AddressNotFound},
        {"no handshake", "failed to connect to 192.168.1.5:5555", ConnectRow::AddressNotFound},
        {"unauthorized", "failed to authenticate to 192.168.1.5:5555", ConnectRow::Unauthorized},
        {"error right before the address", "error192.168.1.5", ConnectRow::Error},
        {"error with a colon is no row 4", "error: 192.168.1.5", ConnectRow::Unknown},
        {"listed offline", "192.168.1.5:5555     offline", ConnectRow::Offline},
        {"connected", "connected to 192.168.1.5:5555\r\n", ConnectRow::Connected},
        {"already connected", "already connected to 192.168.1.5:5555\r\n",
         ConnectRow::AlreadyConnected},
        {"another box's address", "connected to 192.168.1.50:5555\r\n", ConnectRow::Unknown},
        {"another box refused", "failed to connect to '192.168.1.50:5555': Connection refused",
         ConnectRow::Unknown},
        {"row 3 before row 6",
         "unable to connect to 192.168.1.5:5555\r\nconnected to 192.168.1.5:5555",
         ConnectRow::AddressNotFound},
        {"nothing", "-", ConnectRow::Unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyConnectOutput(c.output, ip), c.row) << c.what;
    }
    EXPECT_EQ(ClassifyConnectOutput(
                  "failed to resolve host: '1.2.3.4.5': Name or service not known", "1.2.3.4.5"),
              ConnectRow::AddressNotFound);
}

TEST(ClassifyConnectOutputTest, AlreadyConnectedCountsOnlyForAUsableBox) {
    EXPECT_EQ(ResolveAlreadyConnected("device"), ConnectRow::Connected);
    EXPECT_EQ(ResolveAlreadyConnected("unauthorized"), ConnectRow::Unauthorized);
    EXPECT_EQ(ResolveAlreadyConnected("offline"), ConnectRow::Offline);
    EXPECT_EQ(ResolveAlreadyConnected(""), ConnectRow::Offline);
}

TEST(ClassifyConnectOutputTest, EveryFailureHasItsMessage) {
    const std::pair<ConnectRow, const char*> cases[] = {
        {ConnectRow::AddressNotFound, "ip地址不正确，找不到盒子，请尝试使用<自动搜索>"},
        {ConnectRow::NoSuchDevice, "ip地址不正确，找不到盒子，请尝试使用<自动搜索>"},
        {ConnectRow::Error, "连接盒子失败,请重新连接"},
        {ConnectRow::Offline, "连接无效，请检查盒子的adb调试模式是否已打开,再尝试重新连接"},
        {ConnectRow::Unauthorized,
         "盒子需要您的授权，请在电视屏幕上选择<允许USB调试>（可勾选<一律允许>），再重新连接盒子"},
        {ConnectRow::ServerConflict,
         "很抱歉，由于您电脑上安装的豌豆荚或腾讯手机助手或百度手机助手等助手类软件与本程序冲突，"
         "建议关闭所有助手类软件，并拔出与电脑连接的安卓设备，再重新试一次，如果仍然不行，只能说明"
         "，"
         "您装的软件太霸道了，只有把他卸载，本程序才能正常运行。"},
        // No failure, no message.
        {ConnectRow::Connected, ""},
        {ConnectRow::AlreadyConnected, ""},
        {ConnectRow::Unknown, ""},
    };
    for (const auto& [row, message] : cases) {
        EXPECT_EQ(ConnectFailureMessage(row), message) << static_cast<int>(row);
    }
}

}  // namespace
}  // namespace qvpc
