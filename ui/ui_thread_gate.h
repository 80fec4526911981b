#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace qvpc::ui {

// Carries work from any thread to the user-interface thread and waits for
// its result. On the UI thread the work runs at once. Elsewhere it is queued
// to the UI thread's event loop and the caller blocks, holding no lock of
// ours, until the result is there, or until the gate is closed (the window is
// gone or the program is ending), when the caller gets its fallback instead
// of waiting for a loop that will never run again; work still on its way to
// the UI thread is then dropped.
class UiThreadGate {
  public:
    // Create it on the UI thread. It must outlive the threads that call
    // through it, or be closed before they are left waiting.
    UiThreadGate();
    ~UiThreadGate();
    UiThreadGate(const UiThreadGate&) = delete;
    UiThreadGate& operator=(const UiThreadGate&) = delete;

    bool isUiThread() const;

    // From now on waiting callers return their fallback at once.
    void close();
    bool isOpen() const { return m_state->open; }

    // Runs start on the UI thread with a completion to call (now or later,
    // once) with the result; waits for that result. The work may run after a
    // caller that gave up has returned, so it must hold copies, never
    // references to the caller's stack.
    template <class R>
    R await(std::function<void(std::function<void(R)>)> start, R fallback);

    // Runs work on the UI thread and waits for its result.
    template <class R>
    R call(std::function<R()> work, R fallback) {
        return await<R>([work = std::move(work)](std::function<void(R)> done) { done(work()); },
                        std::move(fallback));
    }
    void call(std::function<void()> work) {
        call<bool>(
            [work = std::move(work)] {
                work();
                return true;
            },
            false);
    }

  private:
    struct State {
        std::atomic<bool> open{true};
    };

    void post(std::function<void()> task);

    std::unique_ptr<QObject> m_context;  // lives on the UI thread; queued work runs in its name
    std::shared_ptr<State> m_state;
};

template <class R>
R UiThreadGate::await(std::function<void(std::function<void(R)>)> start, R fallback) {
    if (isUiThread()) {
        // A completion that comes later than the return (a box answered after
        // the loops ended) is dropped.
        auto slot = std::make_shared<std::optional<R>>();
        start([slot](R value) {
            if (!*slot) {
                *slot = std::move(value);
            }
        });
        return *slot ? std::move(**slot) : std::move(fallback);
    }
    // Held by the caller: the gate itself may be gone once it is closed.
    const auto state = m_state;
    if (!state->open) {
        return fallback;
    }
    auto promise = std::make_shared<std::promise<R>>();
    auto once = std::make_shared<std::atomic<bool>>(false);
    std::future<R> future = promise->get_future();
    post([start = std::move(start), promise, once, state] {
        // Work that reaches the UI thread after the gate closed has no caller
        // left to answer (a box would be shown to no one), so it does not run.
        if (!state->open) {
            return;
        }
        start([promise, once](R value) {
            if (!once->exchange(true)) {
                promise->set_value(std::move(value));
            }
        });
    });
    while (future.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (!state->open) {
            return fallback;
        }
    }
    return future.get();
}

}  // namespace qvpc::ui
