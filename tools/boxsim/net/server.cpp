#include "boxsim/net/server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qvpc::boxsim {

Server::Server() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_wakeRead.reset(fds[0]);
        m_wakeWrite.reset(fds[1]);
    }
}

Server::~Server() {
    stop();
}

void Server::start() {
    m_thread = std::thread([this] { loop(); });
}

void Server::wake() {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeWrite.get(), &c, 1);
}

void Server::addListener(const std::string& key, simnet::Fd listener, Handler handler,
                         size_t maxConnections) {
    std::lock_guard lock(m_mutex);
    m_listeners[key] = {std::move(listener), std::move(handler), maxConnections,
                        std::make_shared<std::atomic<size_t>>(0)};
    wake();
}

void Server::removeListener(const std::string& key) {
    std::lock_guard lock(m_mutex);
    auto it = m_listeners.find(key);
    if (it == m_listeners.end()) {
        return;
    }
    ::shutdown(it->second.fd.get(), SHUT_RDWR);
    m_closing.push_back(std::move(it->second.fd));
    m_listeners.erase(it);
    wake();
}

bool Server::hasListener(const std::string& key) const {
    std::lock_guard lock(m_mutex);
    return m_listeners.count(key) > 0;
}

void Server::reapLocked(bool all) {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        bool done = false;
        {
            std::lock_guard connectionLock(it->connection->mutex);
            done = it->connection->done;
        }
        if (all || done) {
            if (it->thread.joinable()) {
                it->thread.join();
            }
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::loop() {
    while (!m_stopping) {
        std::vector<pollfd> fds;
        std::vector<std::string> keys;
        {
            std::lock_guard lock(m_mutex);
            m_closing.clear();
            reapLocked(false);
            fds.push_back({m_wakeRead.get(), POLLIN, 0});
            for (const auto& [key, listener] : m_listeners) {
                fds.push_back({listener.fd.get(), POLLIN, 0});
                keys.push_back(key);
            }
        }
        if (::poll(fds.data(), fds.size(), 1000) <= 0) {
            continue;
        }
        if (fds[0].revents) {
            char buf[64];
            while (::read(m_wakeRead.get(), buf, sizeof buf) > 0) {
            }
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) {
                continue;
            }
            std::lock_guard lock(m_mutex);
            auto it = m_listeners.find(keys[i - 1]);
            if (it == m_listeners.end() || it->second.fd.get() != fds[i].fd) {
                continue;  // removed while we polled
            }
            simnet::Fd connection(
                ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!connection.valid()) {
                continue;
            }
            // Connections are served with blocking calls.
            ::fcntl(connection.get(), F_SETFL, ::fcntl(connection.get(), F_GETFL) & ~O_NONBLOCK);
            // Request and reply protocols: no Nagle delay (fails harmlessly on Unix sockets).
            const int one = 1;
            ::setsockopt(connection.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            Listener& listener = it->second;
            if (listener.active->load() >= listener.maxConnections) {
                continue;  // closed at once: too many already
            }
            ++*listener.active;
            auto state = std::make_shared<Connection>();
            state->fd = std::move(connection);
            m_workers.push_back(
                {std::thread([handler = listener.handler, active = listener.active, state] {
                     handler(state->fd.get());
                     std::lock_guard connectionLock(state->mutex);
                     state->fd.reset();
                     state->done = true;
                     --*active;
                 }),
                 state});
        }
    }
}

void Server::stop() {
    if (m_stopping.exchange(true)) {
        return;
    }
    wake();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    std::list<Worker> workers;
    {
        std::lock_guard lock(m_mutex);
        m_listeners.clear();
        m_closing.clear();
        // Unblock every connection; the handlers then return.
        for (auto& w : m_workers) {
            std::lock_guard connectionLock(w.connection->mutex);
            if (!w.connection->done) {
                ::shutdown(w.connection->fd.get(), SHUT_RDWR);
            }
        }
        workers.swap(m_workers);
    }
    for (auto& w : workers) {
        if (w.thread.joinable()) {
            w.thread.join();
        }
    }
}

}  // namespace qvpc::boxsim
