#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace qvpc {

using TimerId = std::uint64_t;

// The periodic timers of the running tasks, all served by one thread that runs
// their ticks one after another, never two at once. A timer's first tick comes
// one period after its start. A tick runs without any lock of this class held,
// so it may stop timers (its own included) and start new ones.
class TaskTimers {
  public:
    using Tick = std::function<void(TimerId)>;

    TaskTimers(std::chrono::milliseconds period, Tick tick);
    // Waits for a tick in progress to return.
    ~TaskTimers();
    TaskTimers(const TaskTimers&) = delete;
    TaskTimers& operator=(const TaskTimers&) = delete;

    TimerId start();
    // Stopping a timer that is not running does nothing.
    void stop(TimerId id);
    // Makes the timer's next tick due now (its period goes on from there);
    // nothing for a timer that is not running.
    void poke(TimerId id);
    bool running(TimerId id) const;

    // Ends the thread; no tick runs afterwards. Called by the destructor.
    void shutDown();

  private:
    using Clock = std::chrono::steady_clock;

    void loop();

    const std::chrono::milliseconds m_period;
    const Tick m_tick;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<TimerId, Clock::time_point> m_due;
    TimerId m_lastId = 0;
    bool m_shutDown = false;
    std::thread m_thread;
};

}  // namespace qvpc
