#include "adb/task_timers.h"

#include <vector>

namespace qvpc {

TaskTimers::TaskTimers(std::chrono::milliseconds period, Tick tick)
    : m_period(period), m_tick(std::move(tick)), m_thread([this] { loop(); }) {}

TaskTimers::~TaskTimers() {
    shutDown();
}

void TaskTimers::shutDown() {
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
        m_due.clear();
    }
    m_changed.notify_all();
    // A tick may end the timers' owner, which ends the timers: never join
    // from the thread itself.
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}

TimerId TaskTimers::start() {
    TimerId id;
    {
        std::lock_guard lock(m_mutex);
        id = ++m_lastId;
        if (!m_shutDown) {
            m_due[id] = Clock::now() + m_period;
        }
    }
    m_changed.notify_all();
    return id;
}

void TaskTimers::stop(TimerId id) {
    std::lock_guard lock(m_mutex);
    m_due.erase(id);
}

void TaskTimers::poke(TimerId id) {
    {
        std::lock_guard lock(m_mutex);
        auto timer = m_due.find(id);
        if (timer == m_due.end()) {
            return;
        }
        timer->second = Clock::now();
    }
    m_changed.notify_all();
}

bool TaskTimers::running(TimerId id) const {
    std::lock_guard lock(m_mutex);
    return m_due.contains(id);
}

void TaskTimers::loop() {
    std::unique_lock lock(m_mutex);
    while (!m_shutDown) {
        if (m_due.empty()) {
            m_changed.wait(lock);
            continue;
        }
        auto next = m_due.begin()->second;
        for (const auto& [id, due] : m_due) {
            next = std::min(next, due);
        }
        if (Clock::now() < next) {
            m_changed.wait_until(lock, next);
            continue;
        }
        std::vector<TimerId> dueNow;
        const auto now = Clock::now();
        for (auto& [id, due] : m_due) {
            if (due <= now) {
                dueNow.push_back(id);
                // Periodic on its own phase; a long tick (a message box the
                // user leaves open) is not made up for with a burst of ticks.
                do {
                    due += m_period;
                } while (due <= now);
            }
        }
        for (TimerId id : dueNow) {
            // A tick may have stopped a later timer.
            if (m_shutDown || !m_due.contains(id)) {
                continue;
            }
            lock.unlock();
            m_tick(id);
            lock.lock();
        }
    }
}

}  // namespace qvpc
