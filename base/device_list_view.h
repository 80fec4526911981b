#pragma once

#include <optional>
#include <string>

namespace qvpc {

// One tile of the device list: the scan's boxes and the manual-connect tile.
struct DeviceTile {
    std::string image;
    std::string address;
    std::string name;
    std::string buttonText;
    std::string mac;
    int port = 0;

    bool operator==(const DeviceTile&) const = default;
};

// Page 2's device list; positions are 0-based from the front.
class DeviceListView {
  public:
    virtual ~DeviceListView() = default;

    virtual void clearDeviceTiles() = 0;
    virtual void addDeviceTileInFront(const DeviceTile& tile) = 0;
    virtual std::optional<int> findDeviceTile(const std::string& address) = 0;
    virtual std::optional<DeviceTile> deviceTile(int position) = 0;
    virtual void setDeviceTilePort(int position, int port) = 0;
    virtual void resetDeviceListScroll() = 0;
};

}  // namespace qvpc
