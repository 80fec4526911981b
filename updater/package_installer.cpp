#include "updater/package_installer.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "updater/program_start.h"

namespace qvpc::updater {
namespace {

// Long enough to see an installer that cannot start at all (no display).
constexpr std::chrono::milliseconds kStartWatch{1500};

std::optional<std::string> FindOnPath(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return ::access(name.c_str(), X_OK) == 0 ? std::optional(name) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string folder(folders.substr(0, colon));
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<InstallerCommand> DesktopInstallers() {
    return {{"gdebi-gtk"},
            {"gnome-software", "--local-filename"},
            {"plasma-discover"},
            {"qapt-deb-installer"}};
}

std::optional<std::string> HandToInstaller(const std::string& packagePath,
                                           const std::vector<InstallerCommand>& installers) {
    for (const InstallerCommand& installer : installers) {
        if (installer.empty()) {
            continue;
        }
        const std::optional<std::string> program = FindOnPath(installer.front());
        if (!program) {
            continue;
        }
        InstallerCommand argv = installer;
        argv.front() = *program;
        argv.push_back(packagePath);
        if (StartProgram(argv, kStartWatch)) {
            return installer.front();
        }
    }
    return std::nullopt;
}

}  // namespace qvpc::updater
