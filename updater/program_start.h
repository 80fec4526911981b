#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qvpc::updater {

// Starts a program apart from the updater (a session of its own, in the home
// folder) and watches it for a moment: its process id when it runs, or ended
// well, within watch; nothing when it could not start or failed at once (a
// library missing, a crash), so that the caller can go back.
std::optional<pid_t> StartProgram(const std::vector<std::string>& argv,
                                  std::chrono::milliseconds watch);

}  // namespace qvpc::updater
