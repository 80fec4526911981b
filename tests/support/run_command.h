#pragma once

#include <chrono>
#include <string>

namespace qvpc::test {

struct CommandResult {
    int exitCode = -1;  // -1 when it timed out or could not start
    bool timedOut = false;
    std::string output;  // stdout and stderr together
};

// Runs a command line with /bin/sh -c, standard input from /dev/null, in a
// process group of its own that is killed (by its id) when the time is up.
CommandResult RunCommand(const std::string& commandLine,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace qvpc::test
