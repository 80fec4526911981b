#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvpc::updater {

// A desktop program that installs a Debian package it is given (the path is
// added last); it asks for the administrator's password itself.
using InstallerCommand = std::vector<std::string>;

// The installers of the usual desktops, the most specific first.
std::vector<InstallerCommand> DesktopInstallers();

// Starts the first of the installers found on PATH with the package; its
// program name, or nothing when none is there or none would start.
std::optional<std::string> HandToInstaller(const std::string& packagePath,
                                           const std::vector<InstallerCommand>& installers);

}  // namespace qvpc::updater
