#include "boxsim/device/adb_stream.h"

namespace qvpc::boxsim {

AdbStream::AdbStream(uint32_t localId, uint32_t remoteId, uint32_t maxPayload, Sender sender)
    : m_localId(localId),
      m_remoteId(remoteId),
      m_maxPayload(maxPayload),
      m_send(std::move(sender)) {}

bool AdbStream::deliver(std::string data) {
    std::lock_guard lock(m_mutex);
    if (m_inboxBytes + data.size() > kMaxInboxBytes) {
        return false;
    }
    m_inboxBytes += data.size();
    m_inbox.push_back(std::move(data));
    m_changed.notify_all();
    return true;
}

void AdbStream::acknowledged() {
    std::lock_guard lock(m_mutex);
    m_awaitingAck = false;
    m_changed.notify_all();
}

void AdbStream::closedByHost() {
    std::lock_guard lock(m_mutex);
    m_hostClosed = true;
    m_changed.notify_all();
}

void AdbStream::connectionLost() {
    std::lock_guard lock(m_mutex);
    m_connectionLost = true;
    m_changed.notify_all();
}

std::optional<std::string> AdbStream::read() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_inbox.empty() || m_hostClosed || m_connectionLost; });
    if (m_inbox.empty() || m_connectionLost) {
        return std::nullopt;
    }
    std::string data = std::move(m_inbox.front());
    m_inbox.pop_front();
    m_inboxBytes -= data.size();
    const bool open = !m_hostClosed;
    lock.unlock();
    if (open) {
        m_send({adb::kOkay, m_localId, m_remoteId, {}});
    }
    return data;
}

bool AdbStream::write(std::string_view data) {
    while (!data.empty()) {
        const std::string_view chunk = data.substr(0, m_maxPayload);
        {
            std::unique_lock lock(m_mutex);
            if (!m_changed.wait_for(lock, kAckTimeout, [&] {
                    return !m_awaitingAck || m_hostClosed || m_connectionLost;
                })) {
                return false;
            }
            if (m_hostClosed || m_connectionLost) {
                return false;
            }
            m_awaitingAck = true;
        }
        if (!m_send({adb::kWrte, m_localId, m_remoteId, std::string(chunk)})) {
            return false;
        }
        data.remove_prefix(chunk.size());
    }
    return true;
}

bool AdbStream::gone() {
    std::lock_guard lock(m_mutex);
    return m_hostClosed || m_connectionLost;
}

bool AdbStream::waitUntil(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_until(lock, until, [&] { return m_hostClosed || m_connectionLost; });
}

void AdbStream::close() {
    {
        std::unique_lock lock(m_mutex);
        if (m_closeSent || m_connectionLost) {
            return;
        }
        m_closeSent = true;
        if (m_hostClosed) {
            return;  // the host has forgotten the stream already
        }
        m_changed.wait_for(lock, std::chrono::seconds(5),
                           [&] { return !m_awaitingAck || m_hostClosed || m_connectionLost; });
    }
    m_send({adb::kClse, m_localId, m_remoteId, {}});
}

}  // namespace qvpc::boxsim
