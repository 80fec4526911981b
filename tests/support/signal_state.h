#pragma once

#include <gtest/gtest.h>
#include <signal.h>

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

// Whether a process's /proc/PID/status text (in any line ends) shows none of
// what SignalsSetAside sets aside: no signal blocked, and SIGPIPE, SIGINT and
// SIGTERM not ignored.
::testing::AssertionResult SignalsAtDefaults(const std::string& statusText);

}  // namespace qvpc::test
