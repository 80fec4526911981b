#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "boxsim/device/adb_packet.h"

namespace qvpc::boxsim {

// One service stream of an ADB connection, shared by the connection's reader
// thread (which delivers the host's packets) and the service's own thread.
// Flow control as adbd does it: a WRTE from the host is acknowledged when the
// service takes it, and each WRTE to the host waits for the host's OKAY.
class AdbStream {
  public:
    using Sender = std::function<bool(const AdbPacket&)>;

    AdbStream(uint32_t localId, uint32_t remoteId, uint32_t maxPayload, Sender sender);

    uint32_t localId() const { return m_localId; }

    // Reader thread. false when the host has sent more than a host that
    // waits for OKAY ever can: the connection is then cut.
    bool deliver(std::string data);
    void acknowledged();
    void closedByHost();
    void connectionLost();

    // Service thread. read() gives the next chunk from the host, nullopt
    // once the stream or connection is closed.
    std::optional<std::string> read();
    // false when the stream is gone before everything was sent.
    bool write(std::string_view data);
    // True once the host closed the stream or the connection is gone.
    bool gone();
    // Waits until the time; false when the stream is gone before.
    bool waitUntil(std::chrono::steady_clock::time_point until);
    // Sends CLSE once (after the last write is acknowledged, within bounds).
    void close();

  private:
    static constexpr std::chrono::seconds kAckTimeout{60};
    static constexpr size_t kMaxInboxBytes = 4u << 20;

    const uint32_t m_localId;
    const uint32_t m_remoteId;
    const uint32_t m_maxPayload;
    Sender m_send;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_inbox;
    size_t m_inboxBytes = 0;
    bool m_awaitingAck = false;
    bool m_hostClosed = false;
    bool m_connectionLost = false;
    bool m_closeSent = false;
};

}  // namespace qvpc::boxsim
