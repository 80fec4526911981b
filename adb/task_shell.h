#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qvpc {

// What the tasks ask of the command shell: write command lines, read and
// reset OutputBuffer, tell whether a command has ended. CommandShell is the
// real one; the unit tests put a scripted one in its place.
class TaskShell {
  public:
    virtual ~TaskShell() = default;

    virtual void SendCommand(std::string_view line) = 0;
    virtual std::string ShellStatus() = 0;
    virtual void Pause(std::chrono::milliseconds duration) = 0;
    virtual bool IsDeviceAttached(const std::string& ip) = 0;

    virtual std::string output() const = 0;
    virtual void resetOutput(std::string_view marker = "-") = 0;
    virtual bool outputContains(std::string_view text) const = 0;
    // Counts what has been added to OutputBuffer: a different count means
    // the commands printed something meanwhile.
    virtual std::uint64_t outputChanges() const = 0;

    // Whether the shell process runs; false once it has ended (the next
    // command line starts a new one).
    virtual bool running() = 0;

    // Called (on whatever thread reads the shell) whenever the shell is
    // back at its prompt with every line run, so that a task's end is seen
    // at once rather than at its next tick. An empty function removes it;
    // once that call returns, the old one is no longer running.
    virtual void setPromptListener(std::function<void()> listener) = 0;

    // Whether the shell has run every command line it was given: its prompt
    // came back after the last one.
    virtual bool idle() const = 0;
    virtual bool WaitUntilIdle(std::chrono::milliseconds limit) = 0;

    // Ends the programs the shell is running, so it comes back to its prompt;
    // false when it ran none.
    virtual bool EndRunningCommand() = 0;

    // DataDir + ">": the shell's own prompt.
    virtual const std::string& prompt() const = 0;
    virtual const std::string& dataDir() const = 0;
};

}  // namespace qvpc
