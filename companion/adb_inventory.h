#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/process.h"
#include "companion/adb_package_texts.h"

namespace qvpc {

class Log;
class WindowLoop;

// The box's user apps read over adb alone, for a build that carries no
// real companion: `pm list packages -f -3`, then the version from
// `dumpsys package` and the APK's size from `ls -l`, batched into a few
// `adb shell` runs; titles and icons from the download server's lookup where
// it knows the package, else the package name and no icon. The result is a
// list reply in the companion's own shape, so InstalledInventory builds the
// same rows, counts and upgrade marks from it. The companion itself is left
// out. adb runs from its argv, no shell on this side, each run bounded, the
// window kept alive meanwhile.
class AdbInventory {
  public:
    using Runner = std::function<std::optional<ProcessResult>(const std::vector<std::string>& argv,
                                                              std::chrono::milliseconds limit)>;
    using Lookup = std::function<std::string(const std::vector<std::string>& packages)>;

    struct Needs {
        WindowLoop& loop;
        Log& log;
        // The download server's record of the packages (lookupPackages).
        Lookup lookup;
        Runner run = RunProcess;
    };

    struct Listing {
        std::string listReply;    // a JSON array in the companion's shape
        std::string lookupReply;  // the lookup's reply for its packages
    };

    static constexpr std::chrono::seconds kListLimit{30};
    // One batch of dumpsys and ls runs; a slow box takes a few hundred
    // milliseconds a package.
    static constexpr std::chrono::seconds kBatchLimit{60};
    // Android 6 and older refuse a shell command longer than about 4000
    // bytes (adbd's largest message).
    static constexpr std::size_t kBatchBytes = 3000;

    explicit AdbInventory(Needs needs);

    // The user apps of the box at ip (":5555" is added), sorted by package
    // name; nullopt when adb could not tell (logged once).
    std::optional<Listing> ListUserApps(const std::string& ip);

    // "adb -s IP:5555 shell COMMAND" as a program's argv.
    static std::vector<std::string> ShellArgv(const std::string& ip, const std::string& command);
    static constexpr std::string_view kListCommand = "pm list packages -f -3";
    // The batches for the packages: per package a marker line, its dumpsys
    // and the ls of its APK, each at most kBatchBytes long. Names outside
    // Android's grammar get no command; a path the box's shell could not get
    // whole (not absolute, a control character, over 512 bytes) gets no ls,
    // and the app's size stays unknown.
    static std::vector<std::string> DetailsCommands(const std::vector<ListedPackage>& packages);

  private:
    // One adb run; its output, or nullopt when it failed (logged).
    std::optional<std::string> runShell(const std::string& ip, const std::string& command,
                                        std::chrono::milliseconds limit);

    Needs m_needs;
};

}  // namespace qvpc
