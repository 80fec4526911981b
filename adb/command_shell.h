#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "adb/task_shell.h"
#include "base/unique_fd.h"

namespace qvpc {

class Log;
class WindowLoop;

// The one long-lived hidden shell that runs every adb command line. Lines are
// written to its input; everything it and its programs print is collected in
// OutputBuffer by a reader thread. Nobody waits for a command directly: a
// command has ended when the last line of the output is the shell's prompt,
// DataDir + ">", again.
class CommandShell : public TaskShell {
  public:
    static constexpr std::string_view kResetMarker = "-";

    CommandShell(std::string dataDir, Log& log, WindowLoop& loop);
    ~CommandShell() override;
    CommandShell(const CommandShell&) = delete;
    CommandShell& operator=(const CommandShell&) = delete;

    // Starts the shell in DataDir and its reader, and waits (briefly) until it
    // is ready for commands. False if it could not start.
    bool StartShell();

    // Writes the line to the shell in one write. A shell that has ended is
    // started again first.
    void SendCommand(std::string_view line) override;

    // The prompt line when the shell waits for a command, otherwise
    // "指令执行中". When it waits at a prompt of another directory it logs and
    // sends the shell home; at an interactive box shell's prompt it sends
    // "exit". While a command runs it sends nothing.
    std::string ShellStatus() override;

    // Waits; on the user-interface thread the window stays responsive meanwhile.
    void Pause(std::chrono::milliseconds duration) override;

    // Whether adb lists the box at ip as an attached, usable device. Waits
    // up to kAttachTimeout for the shell to finish what it runs (then ends
    // it), runs "adb devices" and waits up to kAttachTimeout again for the
    // list. False at once, sending nothing, when ip is empty.
    bool IsDeviceAttached(const std::string& ip) override;
    static constexpr std::chrono::seconds kAttachTimeout{10};

    // OutputBuffer, under one lock.
    std::string output() const override;
    void resetOutput(std::string_view marker = kResetMarker) override;
    bool outputContains(std::string_view text) const override;
    std::uint64_t outputChanges() const override;
    bool running() override;
    void setPromptListener(std::function<void()> listener) override;

    // Whether the shell has run every command line it was given.
    bool idle() const override;
    // Waits (responsive on the user-interface thread) until it has; false
    // when the limit passed first.
    bool WaitUntilIdle(std::chrono::milliseconds limit) override;

    // Ends the programs the shell is running, so it comes back to its prompt;
    // false when it ran none.
    bool EndRunningCommand() override;

    // Ends the shell and everything it runs.
    void Stop();

    const std::string& prompt() const override { return m_prompt; }
    const std::string& dataDir() const override { return m_dataDir; }
    pid_t shellPid() const;

  private:
    bool spawnLocked();
    void stopLocked();
    bool aliveLocked();
    bool writeLocked(std::string_view bytes);
    void readerLoop(int outputFd, int wakeFd);
    void appendChunk(std::string chunk, int chunkNumber);
    void appendLocked(const std::string& chunk);
    bool waitUntilIdleLocked(std::chrono::milliseconds limit);

    const std::string m_dataDir;
    const std::string m_prompt;
    Log& m_log;
    WindowLoop& m_loop;

    // The shell process, its pipes and reader; guarded by m_processMutex,
    // which also makes each written line one uninterrupted write.
    mutable std::mutex m_processMutex;
    pid_t m_pid = -1;
    UniqueFd m_input;
    UniqueFd m_wakeWrite;
    std::thread m_reader;

    mutable std::mutex m_outputMutex;
    std::string m_output{kResetMarker};
    bool m_lastAppendedCr = false;
    std::uint64_t m_outputChanges = 0;

    // Held while the listener runs, so that replacing it waits for a call
    // in progress.
    std::mutex m_listenerMutex;
    std::function<void()> m_promptListener;
    // Command lines written and prompts printed since the shell started.
    long m_linesSent = 0;
    long m_promptsSeen = 0;
};

}  // namespace qvpc
