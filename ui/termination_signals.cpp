#include "ui/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

namespace qvpc::ui {
namespace {

// A signal handler may only write to a descriptor; this is the one it writes to.
std::atomic<int> g_signalFd{-1};

void OnSignal(int) {
    int fd = g_signalFd.load();
    if (fd >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
    }
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
        return;
    }
    m_handlerEnd.reset(fds[0]);
    m_notifiedEnd.reset(fds[1]);
    g_signalFd = m_handlerEnd.get();
    m_notifier = std::make_unique<QSocketNotifier>(m_notifiedEnd.get(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(m_notifiedEnd.get(), buffer, sizeof buffer) > 0) {
        }
        emit terminationRequested();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    // The handler stops writing before the pair closes; the notifier goes
    // before the descriptor it watches.
    g_signalFd = -1;
    m_notifier.reset();
}

}  // namespace qvpc::ui
