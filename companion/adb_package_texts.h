#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc {

// Readers of what Android 4.2 to 6.0 prints for the app listing over adb:
// `pm list packages -f`, `dumpsys package NAME` and toolbox's `ls -l`. Lines
// end in CR LF or LF, the last one perhaps in neither; lines of another shape
// (linker warnings and the like) are passed over.

// A line "package:PATH=NAME" of `pm list packages -f`.
struct ListedPackage {
    std::string name;
    std::string apkPath;  // empty when pm printed "null"

    bool operator==(const ListedPackage&) const = default;
};

// Every package line, in the order printed. The name is what follows the
// last "=", since a path may hold one and a name never does; names are not
// checked here.
std::vector<ListedPackage> ParsePackageList(std::string_view output);

// The first line that reports a failure of adb ("error: device offline") or
// of the box's tools ("Error: Could not access the Package Manager.  Is the
// system running?", "Error: Unknown option: -q"); nullopt when there is none.
std::optional<std::string> FailureLine(std::string_view output);

// The fields of a package's block under "Packages:" in `dumpsys package`.
struct PackageDump {
    std::optional<std::int64_t> versionCode;
    std::string versionName;
    std::string dataDir;
    std::string firstInstallTime;
    std::string lastUpdateTime;

    bool operator==(const PackageDump&) const = default;
};

// The block "  Package [NAME] (...):" of the "Packages:" section, not the
// one an updated system app also has under "Hidden system packages:";
// nullopt when there is none (dumpsys prints nothing for an unknown package).
std::optional<PackageDump> ParseDumpsysPackage(std::string_view output, std::string_view package);

// The size column of the `ls -l` line of the file at path: toolbox prints
// the base name, some shells the whole path. nullopt when no such line came
// ("No such file or directory").
std::optional<std::uint64_t> ParseLsSize(std::string_view output, std::string_view path);

// The line the inventory's batches print before each package's part.
inline constexpr std::string_view kPackageMarker = "qvpc-package:";

// The output of a batch cut at its marker lines: each package's part by name.
// What comes before the first marker belongs to none.
std::map<std::string, std::string> SplitAtMarkers(std::string_view output);

}  // namespace qvpc
