#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "boxsim/box/box.h"
#include "boxsim/device/adb_packet.h"
#include "boxsim/device/adb_stream.h"

namespace qvpc::boxsim {

// The device side of one ADB TCP connection: the CNXN handshake of an old
// box (no features, so the host picks the legacy shell and push install),
// the box's AUTH, offline and silent faults, and the shell, exec and sync
// services, each stream on a thread of its own.
class AdbConnection {
  public:
    AdbConnection(int fd, std::shared_ptr<Box> box);
    ~AdbConnection();
    AdbConnection(const AdbConnection&) = delete;
    AdbConnection& operator=(const AdbConnection&) = delete;

    // Serves until the host goes away or the connection is cut.
    void run();

  private:
    bool readPacket(AdbPacket& packet);
    // Exactly length bytes; false at the end of the connection, or once the
    // box fell silent and the connection has been held to its end.
    bool receive(char* buffer, size_t length);
    // false, sending nothing, once the connection has gone silent.
    bool send(const AdbPacket& packet);
    // The drop fault: shuts the connection down, unless it has gone silent.
    void cut();
    // Whether the box is or was silent while the connection was up.
    bool silenced();

    void handshake(const AdbPacket& packet);
    void sendAuthToken();
    void sendConnect();
    // Lets the host in once its key is allowed (any thread).
    void goOnline();
    void open(const AdbPacket& packet);
    std::shared_ptr<AdbStream> stream(uint32_t localId);
    void serve(std::shared_ptr<AdbStream> stream, std::string service);

    const int m_fd;
    std::shared_ptr<Box> m_box;
    // The handshake faults as they were when the host connected; the
    // transfer faults are read when a sync stream opens.
    const BoxFaults m_faults;
    std::mutex m_sendMutex;
    std::mutex m_streamsMutex;
    std::map<uint32_t, std::shared_ptr<AdbStream>> m_streams;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void reapWorkers();
    std::vector<Worker> m_workers;  // touched by the reader thread only
    uint32_t m_nextId = 1;
    uint32_t m_maxPayload = adb::kDeviceMaxPayload;
    int m_authTokensSent = 0;
    std::atomic<bool> m_online{false};
    // Set once the box fell silent while this connection was up; it stays
    // silent when the fault is lifted, as a box that was switched off.
    std::atomic<bool> m_silenced{false};
    // While the host's key waits for the user on the TV.
    std::unique_ptr<AuthorizationPrompt::Wait> m_authorizationWait;
};

// The CNXN banner of a box: "device::ro.product.name=...;...;" with the NUL
// that old adbd appends.
std::string DeviceBanner(const Box& box);

}  // namespace qvpc::boxsim
