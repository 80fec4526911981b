#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace qvpc::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outputPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    int rc = ::posix_spawnp(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildProcess::~ChildProcess() {
    if (running()) {
        stop(SIGKILL, std::chrono::seconds(5));
    }
}

bool ChildProcess::running() {
    if (m_status || m_pid <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_status = status;
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::stop(int signal, std::chrono::milliseconds limit) {
    if (running()) {
        ::kill(m_pid, signal);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!m_status || !WIFEXITED(*m_status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(*m_status);
}

bool Ended(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    // The command name in parentheses may hold spaces itself.
    const std::size_t close = stat.rfind(')');
    return close == std::string::npos || stat.compare(close, 4, ") Z ") == 0;
}

}  // namespace qvpc::test
