#include "base/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/unique_fd.h"

extern char** environ;

namespace qvpc {
namespace {

using Clock = std::chrono::steady_clock;

// Ends the child's process group; adb's server leaves the group when it starts,
// so it is not touched.
void EndGroup(pid_t pid) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
}

// The parent id from /proc/PID/stat; the command name in parentheses may hold
// spaces and parentheses itself, so read after the last ")".
int ParentOf(const std::string& statText) {
    std::size_t close = statText.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    char state = 0;
    int parent = -1;
    if (std::sscanf(statText.c_str() + close + 1, " %c %d", &state, &parent) != 2) {
        return -1;
    }
    return parent;
}

}  // namespace

std::optional<ProcessResult> RunProcess(const std::vector<std::string>& argv,
                                        std::chrono::milliseconds timeout) {
    if (argv.empty()) {
        return std::nullopt;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    writeEnd.reset();
    if (rc != 0) {
        return std::nullopt;
    }

    ProcessResult result;
    const auto deadline = Clock::now() + timeout;
    std::array<char, 4096> buffer;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            EndGroup(pid);
            break;
        }
        pollfd fd{readEnd.get(), POLLIN, 0};
        int ready = ::poll(&fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;
        }
        ssize_t n = ::read(readEnd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        result.output.append(buffer.data(), static_cast<std::size_t>(n));
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!result.timedOut && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

std::vector<int> DescendantProcesses(int pid) {
    std::vector<std::pair<int, int>> processes;  // (pid, parent)
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream in(entry.path() / "stat");
        std::string statText;
        std::getline(in, statText);
        processes.emplace_back(std::stoi(name), ParentOf(statText));
    }
    std::vector<int> found{pid};
    for (std::size_t i = 0; i < found.size(); ++i) {
        for (const auto& [child, parent] : processes) {
            if (parent == found[i]) {
                found.push_back(child);
            }
        }
    }
    found.erase(found.begin());
    return found;
}

}  // namespace qvpc
