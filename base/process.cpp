#include "base/process.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/read_until_end.h"
#include "base/spawn.h"
#include "base/unique_fd.h"

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
    std::optional<Pipe> output = OpenPipe();
    if (!output) {
        return std::nullopt;
    }
    std::optional<pid_t> pid = Spawn(argv, {.output = output->writeEnd.get(),
                                            .error = output->writeEnd.get(),
                                            .start = ProcessStart::NewProcessGroup});
    // Only the program's copy may keep the pipe open, or no end of file comes.
    output->writeEnd.reset();
    if (!pid) {
        return std::nullopt;
    }

    ProcessResult result;
    const ReadEnd end =
        ReadUntilEnd(output->readEnd.get(), {.deadline = Clock::now() + timeout}, result.output);
    result.timedOut = end == ReadEnd::DeadlinePassed;
    // Whatever else stopped the reading, the wait below must not last for ever.
    if (end != ReadEnd::EndOfFile) {
        EndGroup(*pid);
    }

    const int status = WaitForExit(*pid);
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
