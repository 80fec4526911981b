#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace qvpc::boxsim {

// The companion app the program installs on boxes.
inline constexpr const char* kCompanionPackage = "com.quillet.remoteassistant";
inline constexpr const char* kCompanionActivity = "com.quillet.remoteassistant.StartActivity";

// Android 5.0's SDK level. Older boxes (4.x) have no exec service, and their
// pm reports less: INSTALL_FAILED_INVALID_APK for any unreadable APK, a bare
// "Failure" for a failed uninstall.
inline constexpr int kLollipopSdk = 21;

// Faults a test can give a box; all off by default. They can also be changed
// while boxsim runs (control socket "set").
struct BoxFaults {
    bool refuse = false;                  // nothing listens on 5555: connection refused
    bool offline = false;                 // TCP accepted, the ADB handshake never answered
    bool unauthorized = false;            // the handshake asks for an RSA key and never accepts one
    std::string installFailure;           // every pm install fails with this code
    uint64_t transferBytesPerSecond = 0;  // sync transfers slowed to this rate; 0 = full speed
    uint64_t dropAfterBytes = 0;  // the ADB connection is cut after this many sync bytes; 0 = never
    bool screencapFails = false;
    bool screencapMissing = false;  // no screencap on the box: the shell says "not found"
    int companionDelayMs = 0;       // every reply on 8988 waits this long
    bool silent = false;            // switched off without closing: no port answers or reads
    bool linkerWarning = false;     // pm, am and monkey start with the linker's warning line
};

// Where the companion's service answers as a real companion may: all off by
// default. Settable while boxsim runs (control socket "set").
struct CompanionReplies {
    std::optional<std::string> version;   // getversion's body instead of the versionCode
    int listStatus = 200;                 // getlist's HTTP status once the service is ready
    std::optional<std::string> listBody;  // getlist's body instead of the list
    size_t listCutAt = 0;                 // the list's text cut after so many bytes; 0 = whole
    bool listCloseEarly =
        false;                  // with listCutAt: announced whole, the connection closed at the cut
    bool iconsByLabel = false;  // icons at /icons/LABEL.EXT instead of /icons/PACKAGE.EXT
    std::string iconExtension = ".png";
    size_t iconBytes = 0;  // icons shorter than this are padded to exactly this size
};

// A package on the box at start-up, either described or read from an APK.
struct PackageConfig {
    std::string packageName;
    int64_t versionCode = 1;
    std::string versionName;
    std::string label;
    std::string certName = "test";
    std::vector<std::string>
        activities;  // default: .MainActivity (.StartActivity for the companion)
    bool system = false;
    uint64_t apkSize = 0;  // default: 1 MB + something per package
    std::string apkFile;   // when set, everything else comes from this APK
    // Members of the companion's list element replaced by these (null drops one).
    nlohmann::json companionElement = nlohmann::json::object();
};

// A file in a writable place of the box (/sdcard, /data/local/tmp) at start-up.
struct FileConfig {
    std::string path;  // normalised
    std::string data;
    bool oldScreenshot = false;  // instead of data: DrawOldScreenshot at the box's screen size
};

struct BoxConfig {
    std::string address = "127.0.0.2";
    std::string model = "MiBOX3";
    std::string brand = "Xiaomi";
    std::string manufacturer = "Xiaomi";
    std::string device = "mibox3";
    std::string hostname = "android";  // the shell prompt shows user@hostname
    std::string release = "4.4.2";
    int sdk = 19;
    std::string serial = "0123456789ABCDEF";
    std::string mac = "00:1a:2b:3c:4d:5e";
    bool rooted = false;
    int screenWidth = 1280;
    int screenHeight = 720;
    uint64_t freeStorage = 2ull << 30;
    bool adbListening = true;  // false: 5555 opens on "start adbd" at 8090
    bool commandPort = false;  // listen on 8090 (default: on when ADB is off)
    std::string commandReply = "ok";
    std::vector<std::string> systemApps;  // package names; a TV box's default set when absent
    std::vector<PackageConfig> packages;
    std::vector<FileConfig> files;
    std::optional<int64_t> companionVersion;  // a companion already installed, with this version
    bool companionRunning = false;            // ... and already started
    int companionNotReadyPolls = 1;  // getlist answers "server is running" this often after a start
    bool companionListsSystemApps = true;
    CompanionReplies companionReplies;
    // The box lies: HostilePackages() are installed, and configured package
    // names need not follow Android's grammar.
    bool hostilePackages = false;
    BoxFaults faults;
};

struct SimConfig {
    std::string controlSocket;  // empty: no control socket
    std::vector<BoxConfig> boxes;
};

// Throws std::runtime_error naming the bad member (unknown members are errors
// too, so a typo in a test's fault does not pass silently).
SimConfig ParseSimConfig(const nlohmann::json& json);
BoxConfig ParseBoxConfig(const nlohmann::json& json);
void ApplyFaults(const nlohmann::json& json, BoxFaults& faults);

nlohmann::json FaultsToJson(const BoxFaults& faults);
// A hostile box's own packages: names and labels with shell metacharacters,
// quotes, $(), backticks, line breaks, 100 KB of text and a label that is not
// UTF-8. Every injection they carry runs "reboot", which the box records.
std::vector<PackageConfig> HostilePackages();
void ApplyCompanionReplies(const nlohmann::json& json, CompanionReplies& replies);
nlohmann::json CompanionRepliesToJson(const CompanionReplies& replies);

// Android's default list of system packages on an old TV box.
std::vector<std::string> DefaultSystemApps();

}  // namespace qvpc::boxsim
