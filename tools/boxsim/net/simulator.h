#pragma once

#include <map>
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

    // Faults that change which sockets listen are applied here too.
    void setFaults(const std::string& address, const BoxFaults& faults);

    void setAdbListening(const std::string& address, bool on) override;
    void setCompanionListening(const std::string& address, bool on) override;

  private:
    bool listen(const std::shared_ptr<Box>& box, uint16_t port, std::string& error);
    void updateAdbListener(const std::shared_ptr<Box>& box);

    SimConfig m_config;
    std::vector<std::shared_ptr<Box>> m_boxes;
    std::map<std::string, bool> m_adbOn;  // the daemon runs (not off until "start adbd")
    mutable std::mutex m_mutex;
    Server m_server;
};

}  // namespace qvpc::boxsim
