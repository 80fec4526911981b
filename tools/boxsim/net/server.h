#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "simnet/socket.h"

namespace qvpc::boxsim {

// Accepts connections on any number of listening sockets from one poll
// thread and runs each connection on a thread of its own. Listeners come and
// go while it runs (a box starting its ADB daemon, the companion starting).
// stop() shuts every connection down and joins every thread.
class Server {
  public:
    // Runs on the connection's own thread; the server owns and closes the
    // socket after the handler returns.
    using Handler = std::function<void(int connection)>;

    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void start();
    void stop();

    // Thread-safe. maxConnections bounds the connections served at once.
    void addListener(const std::string& key, simnet::Fd listener, Handler handler,
                     size_t maxConnections = 64);
    // The socket stops accepting at once (connects are refused) and is
    // closed by the poll thread.
    void removeListener(const std::string& key);
    bool hasListener(const std::string& key) const;

  private:
    struct Listener {
        simnet::Fd fd;
        Handler handler;
        size_t maxConnections;
        std::shared_ptr<std::atomic<size_t>> active;
    };
    // Shared by a connection thread and stop(): stop() may only shut the
    // socket down while the thread has not closed it yet.
    struct Connection {
        std::mutex mutex;
        simnet::Fd fd;
        bool done = false;
    };
    struct Worker {
        std::thread thread;
        std::shared_ptr<Connection> connection;
    };

    void loop();
    void wake();
    void reapLocked(bool all);

    mutable std::mutex m_mutex;
    std::map<std::string, Listener> m_listeners;
    std::vector<simnet::Fd> m_closing;
    std::list<Worker> m_workers;
    simnet::Fd m_wakeRead;
    simnet::Fd m_wakeWrite;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
};

}  // namespace qvpc::boxsim
