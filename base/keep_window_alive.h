#pragma once

#include <functional>

namespace qvpc {

class WindowLoop;

// Runs a blocking piece of work, such as a fetch the user waits for, so that
// the window stays alive meanwhile: on the user-interface thread the work
// runs on a thread of its own while the event loop keeps turning (the window
// repaints, clicks are taken); elsewhere it simply runs. Returns once the
// work has ended, so it must be bounded itself; once the program is closing
// the loop no longer turns and the wait is a plain one.
void RunKeepingWindowAlive(WindowLoop& loop, const std::function<void()>& work);

}  // namespace qvpc
