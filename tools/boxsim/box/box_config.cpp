#include "boxsim/box/box_config.h"

#include <arpa/inet.h>

#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "boxsim/apk/apk_builder.h"
#include "boxsim/apk/test_certificate.h"
#include "boxsim/box/virtual_files.h"

namespace qvpc::boxsim {

namespace {

using nlohmann::json;

constexpr size_t kMaxFiles = 64;
constexpr size_t kMaxHostileName = 256u << 10;
constexpr size_t kMaxFileBytes = 64u << 20;  // of one box, all files together

void requireObject(const json& j, const std::string& what) {
    if (!j.is_object()) {
        throw std::runtime_error(what + " must be an object");
    }
}

void checkKeys(const json& j, const std::set<std::string>& allowed, const std::string& what) {
    for (const auto& [key, value] : j.items()) {
        if (!allowed.count(key)) {
            throw std::runtime_error("unknown member \"" + key + "\" in " + what);
        }
    }
}

template <typename T>
void get(const json& j, const char* key, T& out, const std::string& what) {
    if (!j.contains(key)) {
        return;
    }
    try {
        out = j.at(key).get<T>();
    } catch (const json::exception&) {
        throw std::runtime_error(std::string("bad value for \"") + key + "\" in " + what);
    }
}

// Strict RFC 4648 base64 with padding; nullopt for anything else.
std::optional<std::string> decodeBase64(std::string_view text);

// anyName: a hostile box may report names outside the grammar, but not ones
// that would leave /data/app.
PackageConfig parsePackage(const json& j, bool anyName) {
    requireObject(j, "a package");
    checkKeys(j,
              {"package", "version_code", "version_name", "label", "cert", "activities", "system",
               "apk_size", "apk", "companion_element", "label_base64"},
              "a package");
    PackageConfig p;
    get(j, "package", p.packageName, "a package");
    get(j, "version_code", p.versionCode, "a package");
    get(j, "version_name", p.versionName, "a package");
    get(j, "label", p.label, "a package");
    get(j, "cert", p.certName, "a package");
    get(j, "activities", p.activities, "a package");
    get(j, "system", p.system, "a package");
    get(j, "apk_size", p.apkSize, "a package");
    get(j, "apk", p.apkFile, "a package");
    if (j.contains("companion_element")) {
        if (!j["companion_element"].is_object()) {
            throw std::runtime_error("companion_element must be an object");
        }
        p.companionElement = j["companion_element"];
    }
    if (j.contains("label_base64")) {
        std::string encoded;
        get(j, "label_base64", encoded, "a package");
        auto label = decodeBase64(encoded);
        if (!label) {
            throw std::runtime_error("bad base64 for label_base64");
        }
        p.label = std::move(*label);
    }
    const bool tame =
        anyName ? !p.packageName.empty() &&
                      p.packageName.find_first_of(std::string("/\0", 2)) == std::string::npos &&
                      p.packageName.size() <= kMaxHostileName
                : IsValidAndroidPackageName(p.packageName);
    if (p.apkFile.empty() && !tame) {
        throw std::runtime_error("bad package name \"" + p.packageName.substr(0, 200) + "\"");
    }
    if (!IsValidCertName(p.certName)) {
        throw std::runtime_error("bad certificate name \"" + p.certName + "\"");
    }
    return p;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    static constexpr std::string_view kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        uint32_t bits = 0;
        int padding = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            const size_t digit = kDigits.find(c);
            if (c == '=' && k >= 2 && i + 4 == text.size()) {
                ++padding;
            } else if (padding > 0 || digit == std::string_view::npos) {
                return std::nullopt;  // a digit after "=", or no digit at all
            }
            bits = bits << 6 | (digit == std::string_view::npos ? 0 : static_cast<uint32_t>(digit));
        }
        out += static_cast<char>(bits >> 16);
        if (padding < 2) {
            out += static_cast<char>(bits >> 8 & 0xff);
        }
        if (padding < 1) {
            out += static_cast<char>(bits & 0xff);
        }
    }
    return out;
}

FileConfig parseFile(const json& j) {
    const std::string what = "a file";
    requireObject(j, what);
    checkKeys(j, {"path", "text", "base64", "old_screenshot"}, what);
    std::string path;
    get(j, "path", path, what);
    auto normalized = path.starts_with("/") ? VirtualFiles::normalize(path) : std::nullopt;
    if (!normalized || !VirtualFiles::isWritable(*normalized)) {
        throw std::runtime_error("file \"" + path +
                                 "\" is not an absolute path under /sdcard or /data/local/tmp");
    }
    FileConfig f;
    f.path = *normalized;
    get(j, "old_screenshot", f.oldScreenshot, what);
    const int contents = static_cast<int>(j.contains("text")) +
                         static_cast<int>(j.contains("base64")) + static_cast<int>(f.oldScreenshot);
    if (contents != 1) {
        throw std::runtime_error("file \"" + path +
                                 "\" needs one of \"text\", \"base64\", \"old_screenshot\"");
    }
    get(j, "text", f.data, what);
    if (j.contains("base64")) {
        std::string encoded;
        get(j, "base64", encoded, what);
        auto decoded = decodeBase64(encoded);
        if (!decoded) {
            throw std::runtime_error("bad base64 for file \"" + path + "\"");
        }
        f.data = std::move(*decoded);
    }
    return f;
}

}  // namespace

std::vector<std::string> DefaultSystemApps() {
    return {"android",
            "com.android.browser",
            "com.android.defcontainer",
            "com.android.inputmethod.latin",
            "com.android.launcher",
            "com.android.packageinstaller",
            "com.android.providers.downloads",
            "com.android.providers.media",
            "com.android.providers.settings",
            "com.android.settings",
            "com.android.shell",
            "com.android.systemui"};
}

void ApplyFaults(const json& j, BoxFaults& f) {
    const std::string what = "faults";
    requireObject(j, what);
    checkKeys(j,
              {"refuse", "offline", "unauthorized", "install_failure", "transfer_bytes_per_second",
               "drop_after_bytes", "screencap_fails", "screencap_missing", "companion_delay_ms",
               "silent", "linker_warning"},
              what);
    get(j, "refuse", f.refuse, what);
    get(j, "offline", f.offline, what);
    get(j, "unauthorized", f.unauthorized, what);
    get(j, "install_failure", f.installFailure, what);
    get(j, "transfer_bytes_per_second", f.transferBytesPerSecond, what);
    get(j, "drop_after_bytes", f.dropAfterBytes, what);
    get(j, "screencap_fails", f.screencapFails, what);
    get(j, "screencap_missing", f.screencapMissing, what);
    get(j, "companion_delay_ms", f.companionDelayMs, what);
    get(j, "silent", f.silent, what);
    get(j, "linker_warning", f.linkerWarning, what);
    for (char c : f.installFailure) {
        if (!std::isupper(static_cast<unsigned char>(c)) && c != '_' &&
            !std::isdigit(static_cast<unsigned char>(c))) {
            throw std::runtime_error("install_failure must be a code like INSTALL_FAILED_X");
        }
    }
    if (f.companionDelayMs < 0 || f.companionDelayMs > 600000) {
        throw std::runtime_error("companion_delay_ms out of range");
    }
}

json FaultsToJson(const BoxFaults& f) {
    return {{"refuse", f.refuse},
            {"offline", f.offline},
            {"unauthorized", f.unauthorized},
            {"install_failure", f.installFailure},
            {"transfer_bytes_per_second", f.transferBytesPerSecond},
            {"drop_after_bytes", f.dropAfterBytes},
            {"screencap_fails", f.screencapFails},
            {"screencap_missing", f.screencapMissing},
            {"companion_delay_ms", f.companionDelayMs},
            {"silent", f.silent},
            {"linker_warning", f.linkerWarning}};
}

void ApplyCompanionReplies(const json& j, CompanionReplies& r) {
    const std::string what = "companion_replies";
    requireObject(j, what);
    checkKeys(j,
              {"version", "list_status", "list_body", "list_cut_at", "list_close_early",
               "icon_names", "icon_extension", "icon_bytes"},
              what);
    // null takes a replacement back.
    for (const auto& [key, target] :
         {std::pair{"version", &r.version}, {"list_body", &r.listBody}}) {
        if (j.contains(key) && j[key].is_null()) {
            target->reset();
        } else if (j.contains(key)) {
            std::string text;
            get(j, key, text, what);
            *target = std::move(text);
        }
    }
    get(j, "list_status", r.listStatus, what);
    get(j, "list_cut_at", r.listCutAt, what);
    get(j, "list_close_early", r.listCloseEarly, what);
    get(j, "icon_extension", r.iconExtension, what);
    get(j, "icon_bytes", r.iconBytes, what);
    if (j.contains("icon_names")) {
        std::string names;
        get(j, "icon_names", names, what);
        if (names != "package" && names != "label") {
            throw std::runtime_error("icon_names must be \"package\" or \"label\"");
        }
        r.iconsByLabel = names == "label";
    }
    if (r.listStatus < 100 || r.listStatus > 599) {
        throw std::runtime_error("list_status must be an HTTP status (100..599)");
    }
    if (r.iconExtension.empty() || r.iconExtension[0] != '.' || r.iconExtension.size() > 16 ||
        r.iconExtension.find('/') != std::string::npos) {
        throw std::runtime_error("icon_extension must be like \".jpg\"");
    }
    if (r.iconBytes > (4u << 20) || r.listCutAt > (64u << 20)) {
        throw std::runtime_error("icon_bytes or list_cut_at too large");
    }
}

json CompanionRepliesToJson(const CompanionReplies& r) {
    return {{"version", r.version ? json(*r.version) : json()},
            {"list_status", r.listStatus},
            {"list_body", r.listBody ? json(*r.listBody) : json()},
            {"list_cut_at", r.listCutAt},
            {"list_close_early", r.listCloseEarly},
            {"icon_names", r.iconsByLabel ? "label" : "package"},
            {"icon_extension", r.iconExtension},
            {"icon_bytes", r.iconBytes}};
}

BoxConfig ParseBoxConfig(const json& j) {
    const std::string what = "a box";
    requireObject(j, what);
    checkKeys(j,
              {"address",
               "model",
               "brand",
               "manufacturer",
               "device",
               "hostname",
               "release",
               "sdk",
               "serial",
               "mac",
               "rooted",
               "screen_width",
               "screen_height",
               "free_storage",
               "adb_listening",
               "command_port",
               "command_reply",
               "system_apps",
               "packages",
               "files",
               "companion_version",
               "companion_running",
               "companion_not_ready_polls",
               "companion_lists_system_apps",
               "companion_replies",
               "hostile_packages",
               "faults"},
              what);
    BoxConfig b;
    get(j, "address", b.address, what);
    get(j, "model", b.model, what);
    get(j, "brand", b.brand, what);
    get(j, "manufacturer", b.manufacturer, what);
    get(j, "device", b.device, what);
    get(j, "hostname", b.hostname, what);
    get(j, "release", b.release, what);
    get(j, "sdk", b.sdk, what);
    get(j, "serial", b.serial, what);
    get(j, "mac", b.mac, what);
    get(j, "rooted", b.rooted, what);
    get(j, "screen_width", b.screenWidth, what);
    get(j, "screen_height", b.screenHeight, what);
    get(j, "free_storage", b.freeStorage, what);
    get(j, "adb_listening", b.adbListening, what);
    b.commandPort = !b.adbListening;
    get(j, "command_port", b.commandPort, what);
    get(j, "command_reply", b.commandReply, what);
    b.systemApps = DefaultSystemApps();
    get(j, "system_apps", b.systemApps, what);
    get(j, "hostile_packages", b.hostilePackages, what);
    if (j.contains("packages")) {
        if (!j["packages"].is_array()) {
            throw std::runtime_error("packages must be an array");
        }
        for (const auto& p : j["packages"]) {
            b.packages.push_back(parsePackage(p, b.hostilePackages));
        }
    }
    if (j.contains("files")) {
        if (!j["files"].is_array() || j["files"].size() > kMaxFiles) {
            throw std::runtime_error("files must be an array of at most " +
                                     std::to_string(kMaxFiles));
        }
        size_t bytes = 0;
        for (const auto& f : j["files"]) {
            b.files.push_back(parseFile(f));
            bytes += b.files.back().data.size();
        }
        if (bytes > kMaxFileBytes) {
            throw std::runtime_error("files hold more than " + std::to_string(kMaxFileBytes >> 20) +
                                     " MiB");
        }
    }
    if (j.contains("companion_version") && !j["companion_version"].is_null()) {
        int64_t v = 0;
        get(j, "companion_version", v, what);
        b.companionVersion = v;
    }
    get(j, "companion_running", b.companionRunning, what);
    get(j, "companion_not_ready_polls", b.companionNotReadyPolls, what);
    get(j, "companion_lists_system_apps", b.companionListsSystemApps, what);
    if (j.contains("faults")) {
        ApplyFaults(j["faults"], b.faults);
    }
    if (j.contains("companion_replies")) {
        ApplyCompanionReplies(j["companion_replies"], b.companionReplies);
    }

    in_addr addr{};
    if (inet_pton(AF_INET, b.address.c_str(), &addr) != 1) {
        throw std::runtime_error("bad box address \"" + b.address + "\"");
    }
    if (b.screenWidth < 16 || b.screenHeight < 16 || b.screenWidth > 3840 ||
        b.screenHeight > 2160) {
        throw std::runtime_error("screen size out of range (16..3840 × 16..2160)");
    }
    for (const std::string& name : b.systemApps) {
        if (name != "android" && !IsValidAndroidPackageName(name)) {
            throw std::runtime_error("bad system app name \"" + name + "\"");
        }
    }
    return b;
}

SimConfig ParseSimConfig(const json& j) {
    requireObject(j, "the configuration");
    checkKeys(j, {"control_socket", "boxes"}, "the configuration");
    SimConfig c;
    get(j, "control_socket", c.controlSocket, "the configuration");
    if (!j.contains("boxes") || !j["boxes"].is_array() || j["boxes"].empty()) {
        throw std::runtime_error("boxes must be a non-empty array");
    }
    std::set<std::string> addresses;
    for (const auto& b : j["boxes"]) {
        c.boxes.push_back(ParseBoxConfig(b));
        if (!addresses.insert(c.boxes.back().address).second) {
            throw std::runtime_error("two boxes on " + c.boxes.back().address);
        }
    }
    return c;
}

}  // namespace qvpc::boxsim
