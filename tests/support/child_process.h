#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qvpc::test {

// A program a test started in the background, with its output going to a
// file. It is ended by its id when the object goes, if it still runs.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& outputPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running();

    // Sends the signal and waits for the exit; the exit code, or nullopt when
    // it did not exit normally within the limit.
    std::optional<int> stop(int signal, std::chrono::milliseconds limit);

  private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// Whether pid has ended: gone, or a zombie its parent has not collected yet.
bool Ended(pid_t pid);

}  // namespace qvpc::test
