#pragma once

#include <nlohmann/json.hpp>

namespace qvpc::boxsim {

class Simulator;

// The control socket: one JSON request per line, one JSON reply per line
// (see README.md for the operations).
void ServeControl(int fd, Simulator& simulator);

// One request → its reply; exposed for tests.
nlohmann::json HandleControlRequest(const nlohmann::json& request, Simulator& simulator);

}  // namespace qvpc::boxsim
