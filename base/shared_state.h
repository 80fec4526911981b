#pragma once

#include <mutex>
#include <string>

namespace qvpc {

// The box being worked on.
struct CurrentDevice {
    std::string ip;     // dotted IPv4, no port
    std::string mac;    // "00-1A-2B-3C-4D-5E", or empty when unknown
    std::string brand;  // display name; empty until recognised
    std::string model;  // ro.product.model in upper case
};

// The state the threads of the program share: the current device (the running
// task is the task engine's). Every access takes the lock, so a reader never
// sees half a value.
class SharedState {
  public:
    CurrentDevice currentDevice() const;
    void setCurrentDevice(CurrentDevice device);
    std::string currentIp() const;
    void setCurrentIp(std::string ip);
    void setCurrentMac(std::string mac);
    void setCurrentBrand(std::string brand);
    void setCurrentModel(std::string model);

  private:
    mutable std::mutex m_mutex;
    CurrentDevice m_device;
};

}  // namespace qvpc
