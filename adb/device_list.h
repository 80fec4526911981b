#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc {

inline constexpr std::string_view kDeviceListHeader = "List of devices attached";

struct ListedDevice {
    std::string serial;  // "192.168.1.5:5555"
    std::string state;   // "device", "offline", "unauthorized", ...
};

// The entries of "adb devices" output. Old and modern clients separate the
// state by a tab, the classic text by spaces; both are read. Lines before the
// header (the server's start-up notes) are skipped.
std::vector<ListedDevice> ParseDeviceList(std::string_view output);

// The state adb lists for a box, addressed by its IP (with or without ":5555").
std::optional<std::string> ListedState(std::string_view output, std::string_view ip);

}  // namespace qvpc
