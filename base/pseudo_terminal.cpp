#include "base/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>

namespace qvpc {

std::optional<PseudoTerminal> OpenPseudoTerminal() {
    PseudoTerminal pty;
    pty.controller.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!pty.controller.valid() || ::grantpt(pty.controller.get()) != 0 ||
        ::unlockpt(pty.controller.get()) != 0) {
        return std::nullopt;
    }
    std::array<char, 128> name{};
    if (::ptsname_r(pty.controller.get(), name.data(), name.size()) != 0) {
        return std::nullopt;
    }
    pty.terminal.reset(::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios mode{};
    if (!pty.terminal.valid() || ::tcgetattr(pty.terminal.get(), &mode) != 0) {
        return std::nullopt;
    }
    ::cfmakeraw(&mode);
    if (::tcsetattr(pty.terminal.get(), TCSANOW, &mode) != 0) {
        return std::nullopt;
    }
    return pty;
}

}  // namespace qvpc
