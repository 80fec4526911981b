#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvpc {

// The environment variable that tells the updater which process to wait for:
// the program it replaces, which ends once it has started the updater.
inline constexpr std::string_view kUpdaterWaitPidVariable = "QVPC_UPDATE_WAIT_PID";

// What the program hands its updater: which version replaces which program,
// from where, and what the new version brings.
struct UpdateOrder {
    std::string version;         // the latest version, dotted
    std::string executablePath;  // the program to replace, absolute
    std::string url;             // where the new version is fetched
    std::string notes;           // line breaks as "\n"
};

// The updater's parameter string: one space, then seven fields joined with
// "<#>" (title, two empty ones, program, URL, notes, "真"), every space as
// "<?>" and every line break of the notes as "|换行符|". It holds no space but
// its first character, so it travels as one word.
std::string UpdaterCommandLine(const UpdateOrder& order);

// Reads a parameter string back; nothing when it is not one. Notes that held
// "<#>" themselves still come back whole: the last field is taken from the
// end.
std::optional<UpdateOrder> ParseUpdaterCommandLine(std::string_view text);

}  // namespace qvpc
