#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qvpc {

// Work that must not keep its caller waiting (the remote device records):
// each job runs on a thread of its own, and the end of the run waits for
// them, up to a bound. A job owns everything it uses, and its thread shares
// only a counter with this object, so a job still running after the bound
// (its requests are bounded too) harms nothing.
class BackgroundWrites {
  public:
    // More than a remote request can take with its bounded phases.
    static constexpr std::chrono::milliseconds kShutdownLimit{10000};

    BackgroundWrites();
    ~BackgroundWrites();
    BackgroundWrites(const BackgroundWrites&) = delete;
    BackgroundWrites& operator=(const BackgroundWrites&) = delete;

    // False once shutDown has begun: the job is not run.
    bool run(std::function<void()> job);

    // Waits until no job runs (true) or the limit passes.
    bool waitIdle(std::chrono::milliseconds limit);

    // Takes no more jobs and waits for those under way, up to the limit;
    // true when all had ended.
    bool shutDown(std::chrono::milliseconds limit = kShutdownLimit);

  private:
    struct Counter {
        std::mutex mutex;
        std::condition_variable changed;
        int running = 0;
    };

    std::shared_ptr<Counter> m_counter;
    std::mutex m_mutex;  // guards the two below
    std::vector<std::thread> m_threads;
    bool m_closed = false;
};

}  // namespace qvpc
