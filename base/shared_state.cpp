#include "base/shared_state.h"

namespace qvpc {

std::string SharedState::currentProgress() const {
    std::lock_guard lock(m_mutex);
    return m_currentProgress;
}

void SharedState::setCurrentProgress(std::string name) {
    std::lock_guard lock(m_mutex);
    m_currentProgress = std::move(name);
}

std::string SharedState::taskExtra() const {
    std::lock_guard lock(m_mutex);
    return m_taskExtra;
}

void SharedState::setTaskExtra(std::string extra) {
    std::lock_guard lock(m_mutex);
    m_taskExtra = std::move(extra);
}

bool SharedState::stopRequested() const {
    std::lock_guard lock(m_mutex);
    return m_stopRequested;
}

void SharedState::setStopRequested(bool requested) {
    std::lock_guard lock(m_mutex);
    m_stopRequested = requested;
}

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
