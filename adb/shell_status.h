#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvpc {

// What the shell's output says about the shell, read from its last line.
struct ShellStatusReading {
    enum class Action {
        None,       // busy, or back at its own prompt
        Wandered,   // at a prompt of another directory: bring it back
        ExitOnce,   // an interactive box shell ("$") is open: leave it
        ExitTwice,  // an interactive root shell ("#") is open: leave it and its parent
    };

    std::string text;  // the prompt line, or kCommandRunning
    Action action = Action::None;
};

inline constexpr std::string_view kCommandRunning = "指令执行中";

// Reads the shell's state from its accumulated output: the last line, when it
// is complete or unterminated but not empty, ends in ">", "$" or "#" at a
// prompt. dataDir + ">" is the shell's own prompt (compared ignoring case).
ShellStatusReading ReadShellStatus(std::string_view output, std::string_view dataDir);

// The command lines that bring the shell back from what the reading found:
// "cd ..", "cd .." and cd + the quoted dataDir from another directory, "exit"
// once or twice from a box shell, none otherwise.
std::vector<std::string> CorrectionCommands(const ShellStatusReading& reading,
                                            std::string_view dataDir);

}  // namespace qvpc
