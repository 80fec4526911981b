#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::boxsim {

// A command line split the way /system/bin/sh splits the lines adb and
// people send: words with single quotes, double quotes and backslashes,
// redirections, pipes and the list operators ; && ||. The only expansion is
// command substitution, $(...) and `...` outside single quotes, and only
// when a substitute is given (without one they stay as written).

struct Redirection {
    int fd = 1;           // 0 for <, 1 for >, 2 for 2>
    std::string target;   // a file, or "&1"/"&2" for a duplication
    bool append = false;  // >>
};

struct SimpleCommand {
    std::vector<std::string> words;
    std::vector<Redirection> redirections;
};

struct Pipeline {
    enum class Connector { Always, IfSuccess, IfFailure };
    Connector connector = Connector::Always;  // how it follows the one before
    std::vector<SimpleCommand> commands;
};

struct ParseResult {
    std::vector<Pipeline> pipelines;
    std::string error;  // the shell's message when the line cannot run
};

// Runs the command of a substitution and returns its output.
using Substitute = std::function<std::string(std::string_view command)>;

ParseResult ParseShellLine(std::string_view line, const Substitute& substitute = {});

}  // namespace qvpc::boxsim
