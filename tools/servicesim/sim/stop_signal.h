#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qvpc::servicesim {

// Set once when the program stops; every wait the double makes (a slow
// reply, a throttled or stalled body) ends early when it is set.
class StopSignal {
  public:
    void raise() {
        {
            std::lock_guard lock(m_mutex);
            m_raised = true;
        }
        m_changed.notify_all();
    }

    bool raised() const {
        std::lock_guard lock(m_mutex);
        return m_raised;
    }

    // Waits for the duration; false when the signal was raised meanwhile.
    template <class Rep, class Period>
    bool sleepFor(std::chrono::duration<Rep, Period> duration) const {
        std::unique_lock lock(m_mutex);
        return !m_changed.wait_for(lock, duration, [this] { return m_raised; });
    }

  private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_raised = false;
};

}  // namespace qvpc::servicesim
