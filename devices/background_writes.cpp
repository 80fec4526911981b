#include "devices/background_writes.h"

namespace qvpc {

BackgroundWrites::BackgroundWrites() : m_counter(std::make_shared<Counter>()) {}

BackgroundWrites::~BackgroundWrites() {
    shutDown();
}

bool BackgroundWrites::run(std::function<void()> job) {
    std::lock_guard lock(m_mutex);
    if (m_closed) {
        return false;
    }
    {
        std::lock_guard count(m_counter->mutex);
        // When none runs, the threads of earlier jobs are all on their way out.
        if (m_counter->running == 0) {
            for (std::thread& thread : m_threads) {
                thread.join();
            }
            m_threads.clear();
        }
        ++m_counter->running;
    }
    m_threads.emplace_back([counter = m_counter, job = std::move(job)]() mutable {
        // What the job holds goes before it counts as ended.
        std::function<void()>(std::move(job))();
        std::lock_guard count(counter->mutex);
        --counter->running;
        counter->changed.notify_all();
    });
    return true;
}

bool BackgroundWrites::waitIdle(std::chrono::milliseconds limit) {
    std::unique_lock count(m_counter->mutex);
    return m_counter->changed.wait_for(count, limit, [&] { return m_counter->running == 0; });
}

bool BackgroundWrites::shutDown(std::chrono::milliseconds limit) {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        threads.swap(m_threads);
    }
    const bool idle = waitIdle(limit);
    for (std::thread& thread : threads) {
        if (idle) {
            thread.join();  // its job has ended; the thread is on its way out
        } else {
            thread.detach();  // past the bound: it holds only its job and the counter
        }
    }
    return idle;
}

}  // namespace qvpc
