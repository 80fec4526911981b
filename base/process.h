#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qvpc {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally or was ended at the time limit
    bool timedOut = false;
    std::string output;  // standard output and standard error together
};

// Runs a program found on PATH with its standard input on /dev/null, collects
// what it prints and waits at most timeout; a program still running then is
// ended (with the processes of its group). nullopt when it cannot be started.
std::optional<ProcessResult> RunProcess(const std::vector<std::string>& argv,
                                        std::chrono::milliseconds timeout);

// The ids of the processes descended from pid (children first), read from /proc.
std::vector<int> DescendantProcesses(int pid);

}  // namespace qvpc
