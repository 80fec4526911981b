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

// The state the threads of the program share: the running task and the current
// device. Every access takes the lock, so a reader never sees half a value.
class SharedState {
  public:
    std::string currentProgress() const;
    void setCurrentProgress(std::string name);

    std::string taskExtra() const;
    void setTaskExtra(std::string extra);

    bool stopRequested() const;
    void setStopRequested(bool requested);

    CurrentDevice currentDevice() const;
    void setCurrentDevice(CurrentDevice device);
    std::string currentIp() const;
    void setCurrentIp(std::string ip);
    void setCurrentMac(std::string mac);
    void setCurrentBrand(std::string brand);
    void setCurrentModel(std::string model);

  private:
    mutable std::mutex m_mutex;
    std::string m_currentProgress;
    std::string m_taskExtra;
    bool m_stopRequested = false;
    CurrentDevice m_device;
};

}  // namespace qvpc
