#include "boxsim/net/simulator.h"

#include <unistd.h>

#include <cstdio>

#include "boxsim/device/adb_connection.h"
#include "boxsim/net/companion_http.h"
#include "boxsim/net/control_server.h"

namespace qvpc::boxsim {

namespace {

constexpr uint16_t kAdbPort = 5555;
constexpr uint16_t kCommandPort = 8090;
constexpr uint16_t kCompanionPort = 8988;

std::string key(const std::string& address, uint16_t port) {
    return address + ":" + std::to_string(port);
}

}  // namespace

Simulator::Simulator(SimConfig config) : m_config(std::move(config)) {
    for (const BoxConfig& c : m_config.boxes) {
        auto box = std::make_shared<Box>(c);
        box->setListeners(this);
        m_boxes.push_back(std::move(box));
    }
}

Simulator::~Simulator() {
    stop();
}

std::shared_ptr<Box> Simulator::box(const std::string& address) const {
    for (const auto& b : m_boxes) {
        if (b->address() == address) {
            return b;
        }
    }
    return nullptr;
}

bool Simulator::listen(const std::shared_ptr<Box>& box, uint16_t port, std::string& error) {
    simnet::Fd fd = simnet::ListenTcp(box->address(), port, error);
    if (!fd.valid()) {
        return false;
    }
    Server::Handler handler;
    if (port == kAdbPort) {
        handler = [box](int c) { AdbConnection(c, box).run(); };
    } else if (port == kCommandPort) {
        handler = [box](int c) { ServeCommandPort(c, box); };
    } else {
        handler = [box](int c) { ServeCompanionHttp(c, box); };
    }
    m_server.addListener(key(box->address(), port), std::move(fd), std::move(handler));
    return true;
}

bool Simulator::start(std::string& error) {
    for (const auto& box : m_boxes) {
        std::lock_guard lock(m_mutex);
        if (box->adbListening() && !listen(box, kAdbPort, error)) {
            return false;
        }
        if (box->config().commandPort && !listen(box, kCommandPort, error)) {
            return false;
        }
        if (box->companionRunning() && !listen(box, kCompanionPort, error)) {
            return false;
        }
    }
    if (!m_config.controlSocket.empty()) {
        simnet::Fd fd = simnet::ListenUnix(m_config.controlSocket, error);
        if (!fd.valid()) {
            return false;
        }
        m_server.addListener("control", std::move(fd), [this](int c) { ServeControl(c, *this); });
    }
    m_server.start();
    return true;
}

void Simulator::stop() {
    m_server.stop();
    if (!m_config.controlSocket.empty()) {
        ::unlink(m_config.controlSocket.c_str());
    }
}

void Simulator::keepListening(const std::shared_ptr<Box>& box, uint16_t port, bool wanted) {
    const std::string k = key(box->address(), port);
    if (!wanted) {
        m_server.removeListener(k);
        return;
    }
    std::string error;
    if (!m_server.hasListener(k) && !listen(box, port, error)) {
        // The box goes on without the port; its clients see it refused.
        std::fprintf(stderr, "boxsim: %s\n", error.c_str());
    }
}

void Simulator::listenersChanged(const std::string& address) {
    auto b = box(address);
    if (!b) {
        return;
    }
    std::lock_guard lock(m_mutex);
    keepListening(b, kAdbPort, b->adbListening());
    keepListening(b, kCompanionPort, b->companionRunning());
}

std::string Simulator::describe() const {
    std::string out;
    for (const auto& box : m_boxes) {
        const BoxConfig& c = box->config();
        out +=
            "box " + c.address + ": " + c.brand + " " + c.model + " (Android " + c.release + ")\n";
        std::string adbNote;
        if (box->faults().refuse) {
            adbNote = " (refusing connections)";
        } else if (!box->adbListening()) {
            adbNote = " (off until \"start adbd\" on 8090)";
        }
        out += "  adb      " + key(c.address, kAdbPort) + adbNote + "\n";
        if (c.commandPort) {
            out += "  command  " + key(c.address, kCommandPort) + "\n";
        }
        out += "  companion " + key(c.address, kCompanionPort) +
               (box->companionRunning() ? "" : " (once started)") + "\n";
    }
    if (!m_config.controlSocket.empty()) {
        out += "control socket " + m_config.controlSocket + "\n";
    }
    return out;
}

}  // namespace qvpc::boxsim
