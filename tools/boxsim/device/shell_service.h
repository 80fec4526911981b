#pragma once

#include <string>

#include "boxsim/box/box.h"
#include "boxsim/device/adb_stream.h"

namespace qvpc::boxsim {

// adbd's legacy shell: "shell:CMD" runs one command line in a pseudo
// terminal (output lines end in CR LF), "shell:" is an interactive shell with
// prompt and echo, left with "exit", and "exec:CMD" runs raw (LF, no echo).
void RunShellService(AdbStream& stream, Box& box, const std::string& command, bool terminal);

// "\n" → "\r\n", as a terminal's output processing (onlcr) does.
std::string TerminalLineEnds(const std::string& text);

}  // namespace qvpc::boxsim
