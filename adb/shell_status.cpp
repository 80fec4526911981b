#include "adb/shell_status.h"

#include <algorithm>
#include <cctype>

#include "adb/shell_quote.h"

namespace qvpc {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000

// The last piece between CR LF separators. Text after the last CR LF counts
// only when it is not empty; the pieces before it count even when empty.
std::string_view LastPiece(std::string_view output) {
    std::size_t lastBreak = output.rfind(kCrLf);
    if (lastBreak == std::string_view::npos) {
        return output;
    }
    std::string_view tail = output.substr(lastBreak + kCrLf.size());
    if (!tail.empty()) {
        return tail;
    }
    std::string_view before = output.substr(0, lastBreak);
    std::size_t previousBreak = before.rfind(kCrLf);
    return previousBreak == std::string_view::npos ? before
                                                   : before.substr(previousBreak + kCrLf.size());
}

std::string_view TrimSpaces(std::string_view text) {
    for (;;) {
        if (text.starts_with(' ')) {
            text.remove_prefix(1);
        } else if (text.starts_with(kFullWidthSpace)) {
            text.remove_prefix(kFullWidthSpace.size());
        } else {
            break;
        }
    }
    for (;;) {
        if (text.ends_with(' ')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kFullWidthSpace)) {
            text.remove_suffix(kFullWidthSpace.size());
        } else {
            break;
        }
    }
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

ShellStatusReading ReadShellStatus(std::string_view output, std::string_view dataDir) {
    if (output.empty()) {
        return {std::string(kCommandRunning)};
    }
    std::string_view piece = TrimSpaces(LastPiece(output));
    if (piece.empty()) {
        return {std::string(kCommandRunning)};
    }
    switch (piece.back()) {
        case '>': {
            std::string ownPrompt = std::string(dataDir) + ">";
            auto action = EqualsIgnoringCase(piece, ownPrompt)
                              ? ShellStatusReading::Action::None
                              : ShellStatusReading::Action::Wandered;
            return {std::string(piece), action};
        }
        case '$':
            return {std::string(piece), ShellStatusReading::Action::ExitOnce};
        case '#':
            return {std::string(piece), ShellStatusReading::Action::ExitTwice};
        default:
            return {std::string(kCommandRunning)};
    }
}

std::vector<std::string> CorrectionCommands(const ShellStatusReading& reading,
                                            std::string_view dataDir) {
    switch (reading.action) {
        case ShellStatusReading::Action::None:
            break;
        case ShellStatusReading::Action::Wandered:
            return {"cd ..", "cd ..", "cd " + QuotedPath(dataDir)};
        case ShellStatusReading::Action::ExitOnce:
            return {"exit"};
        case ShellStatusReading::Action::ExitTwice:
            return {"exit", "exit"};
    }
    return {};
}

}  // namespace qvpc
