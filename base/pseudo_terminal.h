#pragma once

#include <optional>

#include "base/unique_fd.h"

namespace qvpc {

// A pseudo-terminal pair in raw mode: what is written to the terminal side
// arrives at the controller side byte for byte (no echo, no line-end
// translation), and a program writing to it sees a terminal. Neither side
// becomes anybody's controlling terminal.
struct PseudoTerminal {
    UniqueFd controller;
    UniqueFd terminal;
};

std::optional<PseudoTerminal> OpenPseudoTerminal();

}  // namespace qvpc
