#include "adb/device_list.h"

#include "adb/adb_commands.h"

namespace qvpc {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

}  // namespace

std::vector<ListedDevice> ParseDeviceList(std::string_view output) {
    std::vector<ListedDevice> devices;
    std::size_t header = output.find(kDeviceListHeader);
    if (header == std::string_view::npos) {
        return devices;
    }
    std::string_view rest = output.substr(header + kDeviceListHeader.size());
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);

        std::size_t serialEnd = 0;
        while (serialEnd < line.size() && !IsBlank(line[serialEnd])) {
            ++serialEnd;
        }
        std::size_t stateBegin = serialEnd;
        while (stateBegin < line.size() && IsBlank(line[stateBegin])) {
            ++stateBegin;
        }
        std::size_t stateEnd = stateBegin;
        while (stateEnd < line.size() && !IsBlank(line[stateEnd])) {
            ++stateEnd;
        }
        // The list ends at its blank line; the shell's prompt follows it.
        if (serialEnd == 0) {
            if (!devices.empty() || stateEnd > stateBegin) {
                break;
            }
            continue;
        }
        if (stateEnd == stateBegin) {
            break;
        }
        devices.push_back({std::string(line.substr(0, serialEnd)),
                           std::string(line.substr(stateBegin, stateEnd - stateBegin))});
    }
    return devices;
}

std::optional<std::string> ListedState(std::string_view output, std::string_view ip) {
    const std::string withPort = std::string(ip) + std::string(adb_commands::kAdbPortSuffix);
    for (const ListedDevice& device : ParseDeviceList(output)) {
        if (device.serial == ip || device.serial == withPort) {
            return device.state;
        }
    }
    return std::nullopt;
}

}  // namespace qvpc
