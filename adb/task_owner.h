#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "adb/task_timers.h"

namespace qvpc {

// The part of the program that started a task and reads its outcome. The
// engine calls it on the timers' thread, inside a tick.
class TaskOwner {
  public:
    virtual ~TaskOwner() = default;

    // The shell is back at a prompt: read the output and end the task
    // (ProgressEngine::EndTask), or leave it running for the next tick.
    virtual void InterpretResult(TimerId timer) = 0;
    // The task will get no outcome: it ran past its limit (its command has
    // been ended) or the shell running it is gone. Tell the user, end it.
    virtual void TaskLost(TimerId timer) = 0;
    // The user stopped the task; what it leaves behind goes. Called on the
    // thread that stopped it, after the task has ended.
    virtual void TaskStopped() {}
};

// What a task is started with: its progress name, its owner, and for an
// installation the APK's path (its subject) and the tile or row it is for
// (its extra text, "应用下载<n>" or "升级应用<n>").
struct TaskRequest {
    std::string_view progressName;
    TaskOwner* owner = nullptr;
    std::optional<std::string> subject;
    std::string extra;
};

}  // namespace qvpc
