#pragma once

#include <string_view>

namespace qvpc {

// The rows of the connect table, in the order they are tested. The modern
// client's wordings join the row of the outcome they mean.
enum class ConnectRow {
    NoSuchDevice,      // 1: "No such device " + IP
    ServerConflict,    // 2: the ADB server cannot start (another program holds its port)
    AddressNotFound,   // 3: "unable to connect to " + IP; refused, no handshake, no such host
    Unauthorized,      // the box waits for the user to allow debugging on the TV
    Error,             // 4: "error" + IP
    Offline,           // 5: IP + ":5555     offline"
    AlreadyConnected,  // "already connected to " + IP + ":5555": adb's list decides
    Connected,         // 6: "connected to " + IP + ":5555"
    Unknown,           // 7: none of these
};

// Case-sensitive substring tests on the output of "adb connect " + ip.
ConnectRow ClassifyConnectOutput(std::string_view output, std::string_view ip);

// "already connected" is a connection only when adb lists the box as a usable
// device; listedState is its state in "adb devices" (empty when not listed).
ConnectRow ResolveAlreadyConnected(std::string_view listedState);

// The message page 3 shows for a failure row (empty for the others).
std::string_view ConnectFailureMessage(ConnectRow row);

}  // namespace qvpc
