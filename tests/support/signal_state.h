#pragma once

#include <signal.h>

#include <optional>
#include <string>

namespace qvpc::test {

// While it lives, the calling thread blocks SIGUSR1 and the process ignores
// SIGPIPE, SIGINT and SIGTERM: what a program we start must not inherit.
class SignalsSetAside {
  public:
    SignalsSetAside();
    ~SignalsSetAside();
    SignalsSetAside(const SignalsSetAside&) = delete;
    SignalsSetAside& operator=(const SignalsSetAside&) = delete;

  private:
    sigset_t m_mask;
    struct sigaction m_before[3];  // of SIGPIPE, SIGINT and SIGTERM
};

// The blocked and ignored signals that a process's /proc/PID/status text
// lists (in any line ends); nullopt when it lists none.
struct SignalMasks {
    unsigned long long blocked = 0;
    unsigned long long ignored = 0;

    bool ignores(int signal) const { return (ignored >> (signal - 1)) & 1; }
};
std::optional<SignalMasks> ReadSignalMasks(const std::string& statusText);

}  // namespace qvpc::test
