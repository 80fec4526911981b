#pragma once

#include <string>

namespace qvpc {

// Where the program keeps its files; fixed at start-up.
struct AppPaths {
    std::string dataDir;      // documents folder + "/RiVod", no trailing separator
    std::string downloadDir;  // dataDir + "/apk_down/"
    std::string tempDir;      // dataDir + "/tmp/", also the icon cache
    std::string dbPath;       // dataDir + "/qvhxconfig.mdb"
    std::string logPath;      // dataDir + "/log.txt"

    static AppPaths UnderDocuments(const std::string& documentsDir);
};

// The user's documents folder: $XDG_DOCUMENTS_DIR, else the XDG user-dirs
// file's entry, else $HOME/Documents.
std::string DocumentsDir();

// The directory of the running program's executable.
std::string ProgramDir();

// The running program's executable, absolute; empty when it cannot be told.
std::string ProgramPath();

// Creates the directory and its missing parents; false if it is not there afterwards.
bool MakeDirectories(const std::string& path);

}  // namespace qvpc
