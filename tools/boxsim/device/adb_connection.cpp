#include "boxsim/device/adb_connection.h"

#include <openssl/rand.h>
#include <sys/socket.h>

#include <algorithm>

#include "boxsim/apk/byte_io.h"
#include "boxsim/device/shell_service.h"
#include "boxsim/device/sync_service.h"
#include "boxsim/device/transfer_limits.h"
#include "simnet/socket.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxStreams = 32;
constexpr size_t kMaxServiceName = 64 * 1024;

}  // namespace

std::string DeviceBanner(const Box& box) {
    const BoxConfig& c = box.config();
    return "device::ro.product.name=" + c.device + ";ro.product.model=" + c.model +
           ";ro.product.device=" + c.device + ";" + std::string(1, '\0');
}

AdbConnection::AdbConnection(int fd, std::shared_ptr<Box> box)
    : m_fd(fd), m_box(std::move(box)), m_faults(m_box->faults()) {}

AdbConnection::~AdbConnection() {
    m_authorizationWait.reset();  // before anything goOnline() uses goes
    // The host has gone or boxsim stops: a silent connection ends too.
    ::shutdown(m_fd, SHUT_RDWR);
    {
        std::lock_guard lock(m_streamsMutex);
        for (auto& [id, s] : m_streams) {
            s->connectionLost();
        }
    }
    for (auto& w : m_workers) {
        w.thread.join();
    }
}

void AdbConnection::reapWorkers() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

bool AdbConnection::readPacket(AdbPacket& packet) {
    char header[adb::kHeaderSize];
    if (!receive(header, sizeof header)) {
        return false;
    }
    auto h = DecodeAdbHeader(std::string_view(header, sizeof header), adb::kHostMaxPayload);
    if (!h) {
        return false;  // not ADB, or a payload no host sends: drop the connection
    }
    packet.command = h->command;
    packet.arg0 = h->arg0;
    packet.arg1 = h->arg1;
    packet.payload.assign(h->length, '\0');
    return h->length == 0 || receive(packet.payload.data(), h->length);
}

bool AdbConnection::receive(char* buffer, size_t length) {
    size_t got = 0;
    while (got < length) {
        if (m_box->silence().waitReadable(m_fd) == Silence::Wait::Silenced) {
            m_silenced = true;
            Silence::hold(m_fd);
            return false;
        }
        const long n = simnet::RecvSome(m_fd, buffer + got, length - got);
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

bool AdbConnection::silenced() {
    if (m_box->silence().active()) {
        m_silenced = true;
    }
    return m_silenced;
}

bool AdbConnection::send(const AdbPacket& packet) {
    std::lock_guard lock(m_sendMutex);
    return !silenced() && simnet::SendAll(m_fd, EncodeAdbPacket(packet));
}

void AdbConnection::cut() {
    if (!silenced()) {
        ::shutdown(m_fd, SHUT_RDWR);
    }
}

void AdbConnection::run() {
    AdbPacket packet;
    while (readPacket(packet)) {
        if (m_faults.offline) {
            continue;  // TCP is up, the daemon never answers
        }
        if (!m_online || packet.command == adb::kCnxn) {
            handshake(packet);
            continue;
        }
        switch (packet.command) {
            case adb::kOpen:
                open(packet);
                break;
            case adb::kWrte:
                if (auto s = stream(packet.arg1); s && !s->deliver(std::move(packet.payload))) {
                    return;  // a flood no real host sends
                }
                break;
            case adb::kOkay:
                if (auto s = stream(packet.arg1)) {
                    s->acknowledged();
                }
                break;
            case adb::kClse:
                if (auto s = stream(packet.arg1)) {
                    s->closedByHost();
                    std::lock_guard lock(m_streamsMutex);
                    m_streams.erase(packet.arg1);
                }
                break;
            default:
                break;  // A_SYNC and unknown commands: ignored, as adbd does
        }
    }
}

void AdbConnection::handshake(const AdbPacket& packet) {
    if (packet.command == adb::kCnxn) {
        m_maxPayload = std::clamp<uint32_t>(packet.arg1, 256, adb::kDeviceMaxPayload);
        // A connection made while the box asked for keys asks until one is allowed.
        if (m_faults.unauthorized && m_box->faults().unauthorized) {
            sendAuthToken();
        } else {
            m_online = true;
            sendConnect();  // a repeated CNXN is answered too
        }
        return;
    }
    if (packet.command != adb::kAuth || !m_faults.unauthorized || m_online) {
        return;
    }
    if (packet.arg0 == adb::kAuthSignature) {
        // No key the box knows signed the token: ask for another one.
        sendAuthToken();
    } else if (packet.arg0 == adb::kAuthRsaPublicKey && !m_authorizationWait) {
        // The TV now asks its user; authorize() is the tap on "Allow".
        m_authorizationWait = m_box->awaitAuthorization([this] { goOnline(); });
        if (!m_box->faults().unauthorized) {
            goOnline();  // allowed while the host was still offering keys
        }
    }
}

void AdbConnection::sendAuthToken() {
    if (m_authTokensSent >= 16) {
        return;
    }
    std::string token(20, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(token.data()), static_cast<int>(token.size()));
    ++m_authTokensSent;
    send({adb::kAuth, adb::kAuthToken, 0, token});
}

void AdbConnection::sendConnect() {
    send({adb::kCnxn, adb::kDeviceVersion, adb::kDeviceMaxPayload, DeviceBanner(*m_box)});
}

void AdbConnection::goOnline() {
    if (!m_online.exchange(true)) {
        sendConnect();
    }
}

std::shared_ptr<AdbStream> AdbConnection::stream(uint32_t localId) {
    std::lock_guard lock(m_streamsMutex);
    auto it = m_streams.find(localId);
    return it == m_streams.end() ? nullptr : it->second;
}

void AdbConnection::open(const AdbPacket& packet) {
    std::string service = packet.payload.substr(0, kMaxServiceName);
    while (!service.empty() && service.back() == '\0') {
        service.pop_back();
    }
    m_box->record("adb", service);
    const uint32_t remoteId = packet.arg0;
    // exec: came with Android 5.0; adbd of 4.x refuses it like any unknown service.
    const bool exec = service.rfind("exec:", 0) == 0 && m_box->config().sdk >= kLollipopSdk;
    const bool known = service.rfind("shell:", 0) == 0 || exec || service == "sync:";
    std::shared_ptr<AdbStream> s;
    {
        std::lock_guard lock(m_streamsMutex);
        if (remoteId == 0 || !known || m_streams.size() >= kMaxStreams) {
            s = nullptr;
        } else {
            const uint32_t localId = m_nextId++;
            s = std::make_shared<AdbStream>(localId, remoteId, m_maxPayload,
                                            [this](const AdbPacket& p) { return send(p); });
            m_streams[localId] = s;
        }
    }
    if (!s) {
        send({adb::kClse, 0, remoteId, {}});  // refused, as adbd refuses an unknown service
        return;
    }
    send({adb::kOkay, s->localId(), remoteId, {}});
    reapWorkers();
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_workers.push_back({std::thread([this, s, done, service = std::move(service)] {
                             serve(s, service);
                             done->store(true);
                         }),
                         done});
}

void AdbConnection::serve(std::shared_ptr<AdbStream> s, std::string service) {
    if (service == "sync:") {
        const BoxFaults faults = m_box->faults();
        TransferLimits limits(
            faults.transferBytesPerSecond, faults.dropAfterBytes, [this] { cut(); },
            [&s](auto until) { return s->waitUntil(until); });
        RunSyncService(*s, *m_box, limits);
        s->close();
    } else if (service.rfind("shell:", 0) == 0) {
        RunShellService(*s, *m_box, service.substr(6), true);
    } else {
        RunShellService(*s, *m_box, service.substr(5), false);
    }
    std::lock_guard lock(m_streamsMutex);
    m_streams.erase(s->localId());
}

}  // namespace qvpc::boxsim
