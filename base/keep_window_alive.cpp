#include "base/keep_window_alive.h"

#include <atomic>
#include <thread>

#include "base/window_loop.h"

namespace qvpc {
namespace {

// How long the event loop turns before it looks whether the work is done:
// short beside a fetch, long beside the loop's own cost.
constexpr std::chrono::milliseconds kSlice{2};

}  // namespace

void RunKeepingWindowAlive(WindowLoop& loop, const std::function<void()>& work) {
    if (!loop.isUiThread()) {
        work();
        return;
    }
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    while (!done && !loop.programClosing()) {
        loop.runEventLoopFor(kSlice);
    }
    worker.join();
}

}  // namespace qvpc
