#include "updater/program_start.h"

#include <sys/wait.h>

#include <cstdlib>
#include <thread>

#include "base/spawn.h"

namespace qvpc::updater {
namespace {

constexpr std::chrono::milliseconds kStep{50};

}  // namespace

std::optional<pid_t> StartProgram(const std::vector<std::string>& argv,
                                  std::chrono::milliseconds watch) {
    const char* home = std::getenv("HOME");
    const std::optional<pid_t> pid = Spawn(
        argv, {.workingDirectory = home && *home ? home : "/", .start = ProcessStart::NewSession});
    if (!pid) {
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + watch;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(*pid, &status, WNOHANG) == *pid) {
            const bool well = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            return well ? pid : std::nullopt;
        }
        std::this_thread::sleep_for(kStep);
    }
    return pid;
}

}  // namespace qvpc::updater
