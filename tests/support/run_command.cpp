#include "support/run_command.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "support/temp_dir.h"

namespace qvpc::test {

CommandResult RunCommand(const std::string& commandLine, std::chrono::milliseconds timeout) {
    CommandResult result;
    // A file, not a pipe: a daemon the command leaves behind (the adb server)
    // may keep the descriptor open for ever.
    char outputPath[] = "/tmp/qvpc-command-XXXXXX";
    const int outputFd = ::mkstemp(outputPath);
    if (outputFd < 0) {
        return result;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        ::dup2(outputFd, 1);
        ::dup2(outputFd, 2);
        ::execl("/bin/sh", "sh", "-c", commandLine.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(outputFd);
    if (pid < 0) {
        ::unlink(outputPath);
        return result;
    }
    ::setpgid(pid, pid);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.output = ReadFile(outputPath);
    ::unlink(outputPath);
    return result;
}

}  // namespace qvpc::test
