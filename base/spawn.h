#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc {

// How a started program is set apart from us, so that it and whatever it
// starts can be ended together by its group's id.
enum class ProcessStart {
    NewProcessGroup,  // a process group of its own, in our session
    NewSession,       // a session of its own, without a controlling terminal
};

// Every member has an initializer, so a designated initializer may name any.
struct SpawnOptions {
    // Our descriptors that become its standard input, output and error. -1
    // puts /dev/null there, so it never reads or writes ours by accident.
    int input = -1;
    int output = -1;
    int error = -1;
    // The folder it starts in; empty: ours.
    std::string workingDirectory{};
    ProcessStart start = ProcessStart::NewProcessGroup;
    // Its whole environment, one "NAME=value" an item; none: ours.
    std::optional<std::vector<std::string>> environment{};
};

// Starts argv[0], looked up on PATH unless it holds a "/", with no signal
// blocked and SIGPIPE, SIGINT and SIGTERM at their defaults, whatever we block
// or ignore ourselves. Its process id, or nullopt when it could not start
// (the folder or the program missing, a descriptor not open). The caller
// waits for it.
std::optional<pid_t> Spawn(const std::vector<std::string>& argv, const SpawnOptions& options = {});

// Our environment with one variable set to value, or left out without one: an
// environment for SpawnOptions.
std::vector<std::string> ChangedEnvironment(std::string_view name,
                                            const std::optional<std::string>& value);

// Waits until our child pid has ended, through any signal that interrupts the
// wait, and collects it. Its wait status.
int WaitForExit(pid_t pid);

}  // namespace qvpc
