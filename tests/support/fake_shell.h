#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "adb/task_shell.h"

namespace qvpc::test {

// A shell that runs nothing: it records the command lines and leaves
// OutputBuffer to the test, which writes what a command printed with
// finishCommand (the output, then the shell's prompt, as the real shell's
// reader leaves them). Its prompt readings are the real ones.
class FakeShell : public TaskShell {
  public:
    explicit FakeShell(std::string dataDir = "/home/u/Documents/RiVod");

    // Answers each command line as it is sent (the answer may call
    // finishCommand); without one, commands stay running.
    void onCommand(std::function<void(const std::string& line)> answer);
    // The oldest command still running printed text (LF or CR LF line ends)
    // and ended.
    void finishCommand(const std::string& printed);
    void appendOutput(const std::string& text);
    void setAttached(bool attached, std::string deviceList = {});
    // As if a command line were running (true) or none (false).
    void setRunningCommand(bool running);
    // As if the shell process ended; the next command line starts it again.
    void endShell();

    std::vector<std::string> commands() const;
    // The command lines that hold this text (" install ").
    std::vector<std::string> commandsWith(std::string_view part) const;
    int endRunningCommandCalls() const;
    int attachChecks() const;

    void SendCommand(std::string_view line) override;
    std::string ShellStatus() override;
    void Pause(std::chrono::milliseconds duration) override;
    bool IsDeviceAttached(const std::string& ip) override;
    std::string output() const override;
    void resetOutput(std::string_view marker = "-") override;
    bool outputContains(std::string_view text) const override;
    std::uint64_t outputChanges() const override;
    bool running() override;
    void setPromptListener(std::function<void()> listener) override;
    bool idle() const override;
    bool WaitUntilIdle(std::chrono::milliseconds limit) override;
    bool EndRunningCommand() override;
    const std::string& prompt() const override { return m_prompt; }
    const std::string& dataDir() const override { return m_dataDir; }

  private:
    const std::string m_dataDir;
    const std::string m_prompt;

    mutable std::mutex m_mutex;
    std::function<void(const std::string&)> m_answer;
    std::string m_output = "-";
    std::vector<std::string> m_commands;
    bool m_attached = true;
    std::string m_deviceList;
    int m_running = 0;  // command lines sent and not yet finished
    std::uint64_t m_outputChanges = 0;
    bool m_alive = true;
    std::mutex m_listenerMutex;
    std::function<void()> m_promptListener;
    int m_endCalls = 0;
    int m_attachChecks = 0;
};

}  // namespace qvpc::test
