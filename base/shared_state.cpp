#include "base/shared_state.h"

namespace qvpc {

CurrentDevice SharedState::currentDevice() const {
    std::lock_guard lock(m_mutex);
    return m_device;
}

void SharedState::setCurrentDevice(CurrentDevice device) {
    std::lock_guard lock(m_mutex);
    m_device = std::move(device);
}

std::string SharedState::currentIp() const {
    std::lock_guard lock(m_mutex);
    return m_device.ip;
}

void SharedState::setCurrentIp(std::string ip) {
    std::lock_guard lock(m_mutex);
    m_device.ip = std::move(ip);
}

void SharedState::setCurrentMac(std::string mac) {
    std::lock_guard lock(m_mutex);
    m_device.mac = std::move(mac);
}

void SharedState::setCurrentBrand(std::string brand) {
    std::lock_guard lock(m_mutex);
    m_device.brand = std::move(brand);
}

void SharedState::setCurrentModel(std::string model) {
    std::lock_guard lock(m_mutex);
    m_device.model = std::move(model);
}

}  // namespace qvpc
