#include "adb/connect_outcome.h"

#include <string>

#include "adb/adb_commands.h"

namespace qvpc {
namespace {

bool Contains(std::string_view text, const std::string& what) {
    return text.find(what) != std::string_view::npos;
}

}  // namespace

ConnectRow ClassifyConnectOutput(std::string_view output, std::string_view ipView) {
    const std::string ip(ipView);
    const std::string serial = ip + std::string(adb_commands::kAdbPortSuffix);
    if (Contains(output, "No such device " + ip)) {
        return ConnectRow::NoSuchDevice;
    }
    // Old clients wrote "ADB server didn't ACK" with the address after it;
    // adb 29 puts it on a line of its own and ends with "cannot connect to
    // daemon". Either way the server could not start.
    if (Contains(output, "ADB server didn't ACK") || Contains(output, "cannot connect to daemon")) {
        return ConnectRow::ServerConflict;
    }
    // adb 29: "failed to connect to 'IP:5555': Connection refused" (and other
    // reasons), "failed to connect to IP:5555" when the handshake never came,
    // "failed to resolve host: 'IP': ..." for a name that is no address.
    if (Contains(output, "unable to connect to " + ip) ||
        Contains(output, "failed to connect to '" + serial + "'") ||
        Contains(output, "failed to connect to " + serial) ||
        Contains(output, "failed to resolve host: '" + ip + "'")) {
        return ConnectRow::AddressNotFound;
    }
    if (Contains(output, "failed to authenticate to " + serial)) {
        return ConnectRow::Unauthorized;
    }
    if (Contains(output, "error" + ip)) {
        return ConnectRow::Error;
    }
    if (Contains(output, serial + "     offline")) {
        return ConnectRow::Offline;
    }
    // Before "connected to", which it contains. adb 29 says it also for a box
    // it keeps listed as offline or unauthorized.
    if (Contains(output, "already connected to " + serial)) {
        return ConnectRow::AlreadyConnected;
    }
    if (Contains(output, "connected to " + serial)) {
        return ConnectRow::Connected;
    }
    return ConnectRow::Unknown;
}

ConnectRow ResolveAlreadyConnected(std::string_view listedState) {
    if (listedState == "device") {
        return ConnectRow::Connected;
    }
    if (listedState == "unauthorized") {
        return ConnectRow::Unauthorized;
    }
    return ConnectRow::Offline;
}

std::string_view ConnectFailureMessage(ConnectRow row) {
    switch (row) {
        case ConnectRow::NoSuchDevice:
        case ConnectRow::AddressNotFound:
            return "ip地址不正确，找不到盒子，请尝试使用<自动搜索>";
        case ConnectRow::ServerConflict:
            return "很抱歉，由于您电脑上安装的豌豆荚或腾讯手机助手或百度手机助手等助手类软件与本程"
                   "序冲突，"
                   "建议关闭所有助手类软件，并拔出与电脑连接的安卓设备，再重新试一次，如果仍然不行"
                   "，"
                   "只能说明，您装的软件太霸道了，只有把他卸载，本程序才能正常运行。";
        case ConnectRow::Unauthorized:
            return "盒子需要您的授权，请在电视屏幕上选择<允许USB调试>（可勾选<一律允许>"
                   "），再重新连接盒子";
        case ConnectRow::Error:
            return "连接盒子失败,请重新连接";
        case ConnectRow::Offline:
            return "连接无效，请检查盒子的adb调试模式是否已打开,再尝试重新连接";
        case ConnectRow::AlreadyConnected:
        case ConnectRow::Connected:
        case ConnectRow::Unknown:
            break;
    }
    return {};
}

}  // namespace qvpc
