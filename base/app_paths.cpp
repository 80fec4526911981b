#include "base/app_paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qvpc {
namespace {

std::string HomeDir() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

// Reads XDG_DOCUMENTS_DIR="$HOME/..." from the user-dirs file, if any.
std::string DocumentsDirFromUserDirs() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::string base = configHome && *configHome ? configHome : HomeDir() + "/.config";
    std::ifstream in(base + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = HomeDir() + value.substr(5);
        }
        // The file names $HOME itself when the user has no documents folder.
        if (!value.empty() && value.front() == '/' && value != HomeDir() &&
            value != HomeDir() + "/") {
            return value;
        }
    }
    return {};
}

}  // namespace

AppPaths AppPaths::UnderDocuments(const std::string& documentsDir) {
    std::string base = documentsDir;
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    AppPaths paths;
    paths.dataDir = base + "RiVod";
    paths.downloadDir = paths.dataDir + "/apk_down/";
    paths.tempDir = paths.dataDir + "/tmp/";
    paths.dbPath = paths.dataDir + "/qvhxconfig.mdb";
    paths.logPath = paths.dataDir + "/log.txt";
    return paths;
}

std::string DocumentsDir() {
    if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env && *env) {
        return env;
    }
    if (std::string fromFile = DocumentsDirFromUserDirs(); !fromFile.empty()) {
        return fromFile;
    }
    return HomeDir() + "/Documents";
}

std::string ProgramPath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ProgramDir() {
    const std::string exe = ProgramPath();
    std::error_code ec;
    return exe.empty() ? std::filesystem::current_path(ec).string()
                       : std::filesystem::path(exe).parent_path().string();
}

bool MakeDirectories(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

}  // namespace qvpc
