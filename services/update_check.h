#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "services/update_reply.h"

namespace qvpc {

class Dialogs;
class Log;
class WindowLoop;

// What the update check needs to know about this program.
struct UpdateSettings {
    std::string programVersion;  // dotted, e.g. 1.0.0.1
    // The executable the updater replaces, absolute.
    std::string executablePath;
    // The updater program this one carries.
    std::span<const unsigned char> updaterImage;
    std::string updateHost;     // host[:port] of the update server
    std::string contactNumber;  // the number after "QQ:"; empty when there is none
};

// Asks the update server for a newer version of this program, tells the user,
// and on consent hands over to the updater: written into the data folder,
// started apart from this program with the order on its command line, and
// the main window closed so that the updater can replace the executable.
class UpdateCheck {
  public:
    UpdateCheck(Log& log, Dialogs& dialogs, WindowLoop& window,
                std::function<std::string()> currentProgress, std::string dataDir,
                UpdateSettings settings);
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // The check on the calling thread; a check that starts while another runs
    // only logs "更新中". A manual check tells the user every outcome; the
    // automatic one only what needs an answer.
    void checkForUpdate(bool manual);
    // A check on a thread of its own, as a click on "检查更新" starts one.
    void startCheck(bool manual);
    // Writes out and starts the updater for the last offer and closes the main
    // window; false when it did not (declined, or it could not be started,
    // which the user is told).
    bool runSelfUpdate();

    // The last offer read, empty before one.
    UpdateOffer latestOffer() const;
    // The updater this run started, if it did.
    std::optional<pid_t> updaterPid() const;
    // Waits for the checks started on threads of their own.
    void shutDown();

    // Where the updater is written: dataDir + "/update_QVPC".
    static std::string UpdaterPath(const std::string& dataDir);

  private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void offerUpdate(const UpdateOffer& offer);
    void failCheck(bool manual);
    bool startUpdater(const UpdateOffer& offer);
    // The carried updater at path, unless one is running from there.
    bool writeUpdater(const std::string& path);
    void failUpdate(const std::string& logText);

    Log& m_log;
    Dialogs& m_dialogs;
    WindowLoop& m_window;
    std::function<std::string()> m_currentProgress;
    std::string m_dataDir;
    UpdateSettings m_settings;
    std::atomic<bool> m_running{false};

    mutable std::mutex m_mutex;  // guards the members below
    UpdateOffer m_offer;
    std::optional<pid_t> m_updaterPid;
    std::vector<Worker> m_workers;
};

}  // namespace qvpc
