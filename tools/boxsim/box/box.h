#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/box/authorization_prompt.h"
#include "boxsim/box/box_config.h"
#include "boxsim/box/package_manager.h"
#include "boxsim/box/silence.h"
#include "boxsim/box/virtual_files.h"

namespace qvpc::boxsim {

// What a box asks of the server that owns its sockets: bring the listeners of
// the box at the address in line with adbListening() and companionRunning()
// (called without the box's lock held, after every change of either).
class BoxListeners {
  public:
    virtual ~BoxListeners() = default;
    virtual void listenersChanged(const std::string& address) = 0;
};

// One request on the companion's port, as it came.
struct HttpRequestRecord {
    std::string method;
    std::string target;                                        // path and query, as sent
    std::string version;                                       // HTTP/1.1
    std::vector<std::pair<std::string, std::string>> headers;  // in order, repeats kept
};

// The state of one simulated box: properties, files, packages, the
// companion app, faults and the log of what it received. Every method is
// thread-safe; the ADB, command-port, companion and control threads share it.
class Box {
  public:
    // Throws std::runtime_error when a configured APK cannot be read or a
    // configured file cannot be placed.
    explicit Box(BoxConfig config);

    void setListeners(BoxListeners* listeners) { m_listeners = listeners; }
    const std::string& address() const { return m_config.address; }
    // The fixed part of the configuration (faults are read with faults()).
    const BoxConfig& config() const { return m_config; }

    BoxFaults faults() const;
    // A change of the refuse fault opens or closes 5555.
    void setFaults(const BoxFaults& faults);
    // The silent fault, for the connections to wait on.
    const Silence& silence() const { return m_silence; }
    void setCompanionNotReadyPolls(int polls);

    // A connection asking for its key to be allowed waits until authorize();
    // allow then runs on the caller's thread.
    std::unique_ptr<AuthorizationPrompt::Wait> awaitAuthorization(std::function<void()> allow);
    // The user taps "Allow" (always allowing this computer): the waiting
    // connections go online and the unauthorized fault is cleared.
    void authorize();
    void setCommandReply(std::string reply);

    // The log of what the box received: channel "adb" (services opened),
    // "shell" (command lines run), "command" (port 8090), "http" (port 8988),
    // "reboot" (each reboot the shell ran).
    void record(std::string_view channel, std::string_view text);
    nlohmann::json received() const;
    // Requests on 8988 with every header, oldest first (the last 1000).
    void recordHttpRequest(HttpRequestRecord request);
    nlohmann::json httpRequests() const;
    // Clears both logs.
    void clearReceived();

    std::map<std::string, std::string> properties() const;

    std::optional<VirtualFiles::Entry> stat(const std::string& path) const;
    std::shared_ptr<const std::string> readFile(const std::string& path) const;
    // Names in a directory, sorted; nullopt when it is not one.
    std::optional<std::vector<std::string>> listDirectory(const std::string& path) const;
    // Whether the shell user may read the directory (ls prints "opendir
    // failed, Permission denied" otherwise, and sync lists nothing).
    bool mayList(const std::string& path) const;
    std::string writeFile(const std::string& path, std::string data);
    std::string removeFile(const std::string& path);

    // pm install of a file on the box: "" or the failure code.
    std::string installFile(const std::string& path, PackageManager::InstallOptions options);
    std::string uninstall(const std::string& packageName);
    std::vector<InstalledPackage> packages() const;
    std::optional<InstalledPackage> package(const std::string& packageName) const;

    enum class StartResult { NotFound, Started, AlreadyRunning };
    // am start of an activity of an installed package.
    StartResult startActivity(const std::string& packageName, const std::string& className);
    // am kill / force-stop: the companion's service goes down with its process.
    void stopPackage(const std::string& packageName);

    // screencap -p FILE: "" or the error text screencap prints.
    std::string screencap(const std::string& path);
    std::string screenPng() const;

    // The reply to data received on port 8090 (empty when none is due).
    std::string commandPortRequest(std::string_view data);

    // Whether 5555 listens: the daemon runs and the box does not refuse.
    bool adbListening() const;
    // Whether the companion's service (8988) runs.
    bool companionRunning() const;

    void setCompanionReplies(const CompanionReplies& replies);
    CompanionReplies companionReplies() const;

    // The companion's answers: the getversion body (nullopt when the
    // companion is not there to answer), the getlist reply, and the icon
    // whose name (the last part of an iconPath) has the same stem as
    // fileName: the program asks for STEM.png whatever the extension was.
    std::optional<std::string> companionVersion() const;
    struct ListReply {
        int status = 200;
        std::string body;
        size_t announcedLength = 0;  // Content-Length; more than body.size() when cut short
    };
    ListReply companionList();
    std::optional<std::string> companionIcon(const std::string& fileName) const;

    nlohmann::json state() const;

  private:
    // True when it changed; the caller then calls listenersChanged().
    bool setCompanionRunningLocked(bool running);
    void listenersChanged();
    InstalledPackage preinstalled(const PackageConfig& config, int64_t nowMs);
    // With m_mutex held.
    std::string companionIconNameLocked(const InstalledPackage& package) const;
    nlohmann::json companionElementLocked(const InstalledPackage& package) const;
    std::map<std::string, std::string> m_certificates;  // by name, while building
    std::set<std::string> m_systemApkNames;             // while building

    const BoxConfig m_config;
    mutable std::mutex m_mutex;
    BoxFaults m_faults;
    int m_companionNotReadyPolls;
    CompanionReplies m_companionReplies;
    std::map<std::string, nlohmann::json>
        m_companionElements;  // by package, from the configuration
    std::string m_commandReply;
    VirtualFiles m_files;
    PackageManager m_packages;
    bool m_adbdRunning;  // off until "start adbd" on a box configured so
    bool m_companionRunning = false;
    std::set<std::string> m_running;  // packages with a started activity
    int m_companionPolls = 0;
    std::deque<std::pair<std::string, std::string>> m_received;
    std::deque<HttpRequestRecord> m_httpRequests;
    BoxListeners* m_listeners = nullptr;
    AuthorizationPrompt m_prompt;
    Silence m_silence;
};

}  // namespace qvpc::boxsim
