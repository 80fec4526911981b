#pragma once

#include <sys/types.h>

#include <chrono>

namespace qvpc::updater {

// Waits until the process has ended, at most limit; true when it has (or was
// never there). It need not be our child.
bool WaitForProcessEnd(pid_t pid, std::chrono::milliseconds limit);

}  // namespace qvpc::updater
