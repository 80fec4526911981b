#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "boxsim/box/box.h"
#include "boxsim/box/box_config.h"
#include "boxsim/net/server.h"

namespace qvpc::boxsim {

// All boxes of one boxsim process and their sockets: 5555 (ADB), 8090
// (command port), 8988 (companion, while it runs) on each box's address, and
// the control socket.
class Simulator : public BoxListeners {
  public:
    // Throws std::runtime_error when a box cannot be built.
    explicit Simulator(SimConfig config);
    ~Simulator() override;

    // Binds every listener; false with the reason when one cannot be bound.
    bool start(std::string& error);
    void stop();

    std::shared_ptr<Box> box(const std::string& address) const;
    const std::vector<std::shared_ptr<Box>>& boxes() const { return m_boxes; }
    // What is served, one line per box and socket, for people.
    std::string describe() const;

    // Reads the box's state when called, so calls that come in another
    // order than the changes they follow still leave the listeners right.
    void listenersChanged(const std::string& address) override;

  private:
    bool listen(const std::shared_ptr<Box>& box, uint16_t port, std::string& error);
    // With m_mutex held.
    void keepListening(const std::shared_ptr<Box>& box, uint16_t port, bool wanted);

    SimConfig m_config;
    std::vector<std::shared_ptr<Box>> m_boxes;
    std::mutex m_mutex;  // orders the opening and closing of listeners
    Server m_server;
};

}  // namespace qvpc::boxsim
