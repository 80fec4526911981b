#pragma once

#include <string>

namespace qvpc::updater {

// Whether the user may replace this program themselves: not installed into
// the system (under /usr, as the Debian package puts it), the file theirs and
// its folder writable. Otherwise only the system's package installer may.
bool IsUsersToReplace(const std::string& programPath);

// Puts a new program in the place of the old one. The old file stays beside
// it as programPath + ".old" until the new one has started (commit) or is
// taken back (rollBack); the program's path always names a whole program.
class ProgramReplacement {
  public:
    explicit ProgramReplacement(std::string programPath);
    ProgramReplacement(const ProgramReplacement&) = delete;
    ProgramReplacement& operator=(const ProgramReplacement&) = delete;

    // Puts the new program (a whole program, see IsCompleteProgram) in place,
    // with the old one's permissions; false, with why, and nothing changed,
    // when it could not.
    bool install(const std::string& newProgramPath, std::string& why);
    // The new one runs: the old one goes.
    void commit();
    // Puts the old program back; false when that failed.
    bool rollBack();

    std::string backupPath() const { return m_programPath + ".old"; }

  private:
    std::string m_programPath;
    bool m_installed = false;
};

}  // namespace qvpc::updater
