#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "net/curl_easy.h"

namespace qvpc {

// What a transfer is told: fetch url (HTTP, HTTPS or FTP) into localPath.
struct TransferSettings {
    std::string url;
    std::string localPath;
    // The account of an FTP source (the anonymous one when not given), or the
    // basic credentials of an HTTP one when given.
    std::string user;
    std::string password;
    // A larger file is no file of the catalog's and fails.
    std::int64_t sizeLimit = 1024LL * 1024 * 1024;
};

// What the engine reports of a transfer, on its own thread. The numbers of
// the described engine's events are kept; Failed is this engine's own: a
// transfer that ends without its file (no connection, an HTTP error, a cut,
// a file over its limit) says so.
struct TransferEvent {
    enum class Type { Started = 3, Progress = 16, Finished = 4, Failed = -1 };
    Type type;
    // Started: the announced size in bytes, 0 when unknown; Finished: the
    // bytes received.
    std::int64_t value = 0;
    int taskId = 0;
    std::string error;  // Failed: why, for the log
};

// The downloads in the background: libcurl's multi interface on one thread
// of its own, any number of transfers at once. Certificates are verified;
// every connection and every silence is bounded. Events go to the callback
// on the engine's thread, with no lock of the engine held.
class TransferEngine {
  public:
    using Callback = std::function<void(const TransferEvent&)>;

    explicit TransferEngine(Callback callback);
    ~TransferEngine();
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // Starts a transfer; returns at once with its task id (from 1 up).
    int start(TransferSettings settings);

    // The bytes received so far, and the file written.
    std::int64_t bytesReceived(int taskId) const;
    std::string localPath(int taskId) const;

    // Ends every transfer without a further event and stops the thread;
    // start does nothing afterwards.
    void shutDown();

  private:
    struct Transfer;

    void run();
    void begin(const std::shared_ptr<Transfer>& transfer);
    void finish(Transfer& transfer, CURLcode result);
    void endAll();
    static std::size_t OnData(char* data, std::size_t size, std::size_t count, void* transfer);

    Callback m_callback;
    mutable std::mutex m_mutex;  // guards the members below
    int m_nextId = 1;
    bool m_stopping = false;
    std::deque<int> m_pending;
    std::map<int, std::shared_ptr<Transfer>> m_transfers;
    curl::Multi m_multi;  // used on the engine's thread, woken from any
    std::thread m_thread;
};

}  // namespace qvpc
