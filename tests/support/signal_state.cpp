#include "support/signal_state.h"

#include <pthread.h>

#include <cstdio>
#include <iterator>

namespace qvpc::test {
namespace {

constexpr int kIgnored[] = {SIGPIPE, SIGINT, SIGTERM};

}  // namespace

SignalsSetAside::SignalsSetAside() {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &m_mask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (std::size_t i = 0; i < std::size(kIgnored); ++i) {
        ::sigaction(kIgnored[i], &ignore, &m_before[i]);
    }
}

SignalsSetAside::~SignalsSetAside() {
    for (std::size_t i = 0; i < std::size(kIgnored); ++i) {
        ::sigaction(kIgnored[i], &m_before[i], nullptr);
    }
    ::pthread_sigmask(SIG_SETMASK, &m_mask, nullptr);
}

::testing::AssertionResult SignalsAtDefaults(const std::string& statusText) {
    const std::size_t at = statusText.find("SigBlk:");
    unsigned long long blocked = 0, ignored = 0;
    if (at == std::string::npos || std::sscanf(statusText.c_str() + at, "SigBlk: %llx SigIgn: %llx",
                                               &blocked, &ignored) != 2) {
        return ::testing::AssertionFailure() << "no signal masks in: " << statusText;
    }
    if (blocked != 0) {
        return ::testing::AssertionFailure() << "signals blocked: " << statusText;
    }
    for (int signal : kIgnored) {
        if ((ignored >> (signal - 1)) & 1) {
            return ::testing::AssertionFailure()
                   << "signal " << signal << " ignored: " << statusText;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qvpc::test
