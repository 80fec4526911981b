#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// The faults of a simulated box (tools/boxsim/README.md describes each).
struct BoxFaults {
    bool refuse = false;                  // 5555 refuses connections
    bool offline = false;                 // 5555 accepts, the ADB handshake never answers
    bool unauthorized = false;            // the handshake asks for a key and never accepts one
    std::string installFailure;           // e.g. "INSTALL_FAILED_INSUFFICIENT_STORAGE"
    uint64_t transferBytesPerSecond = 0;  // 0: full speed
    uint64_t dropAfterBytes = 0;          // cut the ADB connection after so many sync bytes
    bool screencapFails = false;
    bool screencapMissing = false;  // the shell has no screencap: "not found"
    int companionDelayMs = 0;       // every reply on 8988 waits so long
    bool silent = false;            // switched off without closing: nothing answers or reads
    bool linkerWarning = false;     // pm, am and monkey print the linker's warning line first

    nlohmann::json toJson() const;
};

// A package installed on the box before the test starts.
struct BoxPackage {
    std::string packageName;
    int64_t versionCode = 1;
    std::string versionName;  // default: versionCode + ".0"
    std::string label;
    std::string cert = "test";  // the mkapk certificate name
    bool system = false;
    std::string apkFile;  // read everything from this APK instead
    // Any further member of the package's configuration, e.g.
    // {"companion_element", {{"isUser", "1"}}}.
    nlohmann::json extra = nlohmann::json::object();

    nlohmann::json toJson() const;
};

// A file on the box from the start, at an absolute path under /sdcard or
// /data/local/tmp.
struct BoxFile {
    std::string path;
    std::string content;         // any bytes
    bool oldScreenshot = false;  // instead of content: boxsim's DrawOldScreenshot picture

    nlohmann::json toJson() const;
};

// One simulated box. address is required: use FreeLoopbackAddress().
struct BoxSpec {
    std::string address;
    std::string model = "MiBOX3";
    std::string brand = "Xiaomi";
    std::string mac;      // default 00:1a:2b:3c:4d:5e
    int sdk = 0;          // ro.build.version.sdk; 0: boxsim's default (19)
    std::string release;  // ro.build.version.release; default "4.4.2"
    bool rooted = false;
    int screenWidth = 1280;
    int screenHeight = 720;
    uint64_t freeStorage = 0;         // 0: boxsim's default (2 GiB)
    bool adbListening = true;         // false: 5555 opens after "start adbd" on 8090
    std::optional<bool> commandPort;  // 8090; default: on exactly when ADB is off
    std::string commandReply;         // the reply to "start adbd"; default "ok"
    std::vector<BoxPackage> packages;
    std::vector<BoxFile> files;
    std::optional<int64_t> companionVersion;  // a companion already installed
    bool companionRunning = false;            // ... and started
    int companionNotReadyPolls = 1;           // "server is running" replies after a start
    BoxFaults faults;
    nlohmann::json extra = nlohmann::json::object();  // any further member of the config

    nlohmann::json toJson() const;
};

// A box at the address with the defaults of BoxSpec and the given faults.
inline BoxSpec BoxAt(std::string address, BoxFaults faults = {}) {
    BoxSpec box;
    box.address = std::move(address);
    box.faults = faults;
    return box;
}

// The built boxsim, started with the given boxes for the lifetime of the
// object. The constructor returns once every box listens (throws
// std::runtime_error with boxsim's output when it cannot start); the
// destructor stops it by its process id. The control methods talk to its
// control socket.
class BoxsimProcess {
  public:
    // launcher, when given, starts boxsim through it ({"nsenter",
    // "--net=..."} puts it in the LAN harness's boxes' namespace).
    explicit BoxsimProcess(std::vector<BoxSpec> boxes, std::vector<std::string> launcher = {});
    // Boxes as boxsim's configuration writes them (the "boxes" array).
    BoxsimProcess(const nlohmann::json& boxes, std::vector<std::string> launcher);
    ~BoxsimProcess();
    BoxsimProcess(const BoxsimProcess&) = delete;
    BoxsimProcess& operator=(const BoxsimProcess&) = delete;

    pid_t pid() const { return m_child ? m_child->pid() : -1; }
    // boxsim's stdout and stderr so far.
    std::string output() const;

    // One control request; throws std::runtime_error when boxsim answers an error.
    nlohmann::json request(const nlohmann::json& request) const;

    // Packages on the box: objects with package, version_code, version_name,
    // label, system, activities, apk_path, apk_size, has_icon, cert_sha256.
    nlohmann::json packages(const std::string& address) const;
    std::optional<nlohmann::json> package(const std::string& address,
                                          const std::string& packageName) const;
    // What the box received, oldest first: the ADB services opened ("adb"),
    // shell command lines ("shell"), sync requests ("sync"), port 8090 data
    // ("command"), HTTP requests on 8988 ("http"), each reboot the shell ran
    // ("reboot": a hostile name reached the shell unquoted). channel "" gives all.
    std::vector<std::string> received(const std::string& address,
                                      const std::string& channel = "") const;
    void clearReceived(const std::string& address) const;
    // adb_listening, companion_running, companion_polls, free_storage, faults.
    nlohmann::json state(const std::string& address) const;
    bool fileExists(const std::string& address, const std::string& path) const;
    // Replaces the box's faults while it runs.
    void setFaults(const std::string& address, const BoxFaults& faults) const;
    void setCompanionNotReadyPolls(const std::string& address, int polls) const;
    // Merges into the box's companion_replies (tools/boxsim/README.md), e.g.
    // {{"version", "-1"}}; a null member takes that replacement back.
    void setCompanionReplies(const std::string& address, const nlohmann::json& replies) const;
    // The requests the companion's port received, oldest first: objects with
    // method, target, version and headers ([name, value] pairs as sent).
    // clearReceived() clears them too.
    nlohmann::json httpRequests(const std::string& address) const;
    // The user taps "Allow" on an unauthorized box: the connection waiting
    // for it goes online, later ones are accepted without asking.
    void authorize(const std::string& address) const;

  private:
    void start(const nlohmann::json& boxes, const std::vector<std::string>& launcher);
    void stop();

    TempDir m_dir;
    std::string m_control;
    std::unique_ptr<ChildProcess> m_child;
};

// The path of the built boxsim and mkapk.
std::string BoxsimPath();
std::string MkapkPath();

}  // namespace qvpc::test
