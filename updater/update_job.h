#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/update_command_line.h"
#include "updater/package_installer.h"
#include "updater/program_replacement.h"

namespace qvpc {
class Log;
}

namespace qvpc::updater {

// Where the job tells its progress: a window, or the log alone.
class UpdateReport {
  public:
    virtual ~UpdateReport() = default;
    virtual void status(const std::string& text) = 0;
    virtual void progress(std::uint64_t received, std::uint64_t total) = 0;
};

struct UpdateOutcome {
    enum class Kind {
        Updated,          // the new version is in place and runs
        PackageHandedOn,  // a new package waits in an installer's hands
        PackageSaved,     // a new package waits in the data folder
        Failed,           // nothing changed
    };
    Kind kind = Kind::Failed;
    std::string message;  // what the user is told
};

struct UpdateJobSettings {
    UpdateOrder order;
    std::string workDir;  // the data folder: downloads go here, and only here
    pid_t waitPid = 0;    // the program being replaced, which is ending; 0: none
    std::chrono::milliseconds waitLimit = std::chrono::seconds(90);
    std::chrono::milliseconds startWatch = std::chrono::seconds(3);
    std::vector<InstallerCommand> installers = DesktopInstallers();
    // Whether the program is the user's to replace, or the system's.
    std::function<bool(const std::string&)> usersToReplace = IsUsersToReplace;
};

// The updater's work: fetch the new version, check that it is whole, wait
// for the old program to end, put the new one in its place and start it. A
// program installed into the system is never replaced here: its new package
// is saved and handed to the desktop's installer. Whatever fails leaves the
// old program as it was, and running again.
class UpdateJob {
  public:
    UpdateJob(UpdateJobSettings settings, Log& log, UpdateReport& report);

    UpdateOutcome run();

  private:
    UpdateOutcome replaceProgram(const std::string& downloaded, bool archive);
    UpdateOutcome installPackage(const std::string& downloaded);
    // The old program has ended (or never ran) within the limit; it is
    // waited for once.
    bool waitForOldProgram();
    // Nothing changed: the old program runs again if it has ended.
    UpdateOutcome fail(const std::string& reason);
    std::string workFile(const std::string& name) const;
    void note(const std::string& text);

    UpdateJobSettings m_settings;
    Log& m_log;
    UpdateReport& m_report;
    bool m_waited = false;
    bool m_oldEnded = false;
};

}  // namespace qvpc::updater
