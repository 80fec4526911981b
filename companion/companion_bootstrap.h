#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace qvpc {

class Log;
class Screen;
class SharedState;
class TaskShell;

// Makes sure the companion app runs on the box in the expected version,
// installing, reinstalling or starting it over adb as the box's answers say
// (two machines: one for a companion of another version, one for a box
// where it does not answer). Runs on the user-interface thread, pumping the
// window's events in every wait; the progress popup's close button aborts it.
class CompanionBootstrap {
  public:
    struct Needs {
        TaskShell& shell;
        Screen& screen;
        Log& log;
        SharedState& state;
        // Where the carried companion is written, and the writing of it.
        std::string apkPath;
        std::function<bool()> writeApk;
        // Asks the companion on the box (action, time-out in seconds).
        std::function<std::string(int action, int timeoutSeconds)> query;
        // Whether the carried companion may be put on the box: the tests'
        // stand-in only works on the simulated box.
        bool mayInstall = true;
    };

    // The companion version the program expects.
    static constexpr int kCompanionVersion = 3;
    static constexpr std::string_view kPackage = "com.quillet.remoteassistant";
    static constexpr std::string_view kActivity = "com.quillet.remoteassistant.StartActivity";

    // How long a command of the machines may take: an installation waits
    // for the user's confirmation on some TVs.
    static constexpr std::chrono::seconds kInstallLimit{120};
    static constexpr std::chrono::seconds kCommandLimit{30};

    explicit CompanionBootstrap(Needs needs);

    // The companion's version reply at the end: its version once it
    // answers, empty while it does not, "jumpout" when aborted before an
    // update, and what it said when that was only blanks.
    std::string BootstrapCompanion();

    // The progress popup's close button.
    void abort() { m_aborted = true; }
    void clearAbort() { m_aborted = false; }
    bool aborted() const { return m_aborted; }

  private:
    enum class Machine { Update, FirstInstall };

    void runMachine(Machine machine, int state);
    // One pass of a machine in its state; the next state (0 ends it).
    int updatePass(int state, const std::string& output);
    int firstInstallPass(int state, const std::string& output);

    // The commands, each false when the bootstrap must end (aborted, or the
    // wait ran out): kill, start, uninstall, install.
    bool kill(bool wait = true);
    bool start();
    bool uninstall(bool wait = true);
    bool install();
    bool send(const std::string& line, bool wait, std::chrono::seconds limit);
    // Waits until the shell has run everything it was given; false when
    // aborted or past the limit.
    bool WaitForPrompt(std::chrono::seconds limit);
    // Notes the abort (once) and says whether the bootstrap must end.
    bool jumpedOut();

    void popup(std::string_view text);
    void log(std::string_view text);
    void buffer(std::string_view marker);
    bool writeApk();

    Needs m_needs;
    std::atomic<bool> m_aborted{false};
    bool m_ended = false;  // the current machine must end
};

}  // namespace qvpc
