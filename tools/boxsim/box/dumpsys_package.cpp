#include "boxsim/box/dumpsys_package.h"

#include <cstdio>

#include "boxsim/box/box_config.h"
#include "boxsim/box/box_time.h"
#include "boxsim/box/package_order.h"
#include "boxsim/box/package_paths.h"

namespace qvpc::boxsim {

namespace {

constexpr int kMarshmallowSdk = 23;

// An object's identity hash as Java prints it, stable for a name.
std::string objectId(const std::string& name, const char* salt, int sdk) {
    const auto h = static_cast<uint32_t>(JavaStringHash(name + salt));
    char buf[16];
    if (sdk < kLollipopSdk) {
        std::snprintf(buf, sizeof buf, "%08x", 0x41000000u | (h & 0xffffffu));
    } else {
        std::snprintf(buf, sizeof buf, "%x", h & 0xfffffffu);
    }
    return buf;
}

std::string time(int64_t ms) {
    return FormatBoxTime(ms / 1000, "%Y-%m-%d %H:%M:%S");
}

std::string flags(const InstalledPackage& p) {
    std::string out = "[ ";
    if (p.system) {
        out += "SYSTEM ";
    }
    out += "HAS_CODE ALLOW_CLEAR_USER_DATA ";
    if (p.updatedSystem()) {
        out += "UPDATED_SYSTEM_APP ";
    }
    return out + "ALLOW_BACKUP ]";
}

std::string nativeLibraryLines(const std::string& codePath, int sdk) {
    if (sdk < kLollipopSdk) {
        std::string stem = codePath.substr(codePath.rfind('/') + 1);
        stem = stem.substr(0, stem.rfind(".apk"));
        return "    nativeLibraryPath=/data/app-lib/" + stem + "\n";
    }
    return "    legacyNativeLibraryDir=" + codePath +
           "/lib\n"
           "    primaryCpuAbi=null\n"
           "    secondaryCpuAbi=null\n";
}

// Settings.dumpPackageLPr. parsed: false for a hidden system copy, whose
// package is not parsed, so it has no targetSdk and no versionName.
std::string packageBlock(const InstalledPackage& p, int sdk, bool parsed) {
    const std::string& name = p.apk.packageName;
    const std::string codePath = CodePath(p.apkPath, sdk);
    std::string b = "  Package [" + name + "] (" + objectId(name, "ps", sdk) + "):\n";
    b += "    userId=" + std::to_string(p.appId) + (sdk < kMarshmallowSdk ? " gids=[3003]" : "") +
         "\n";
    if (parsed) {
        b += "    pkg=Package{" + objectId(name, "pkg", sdk) + " " + name + "}\n";
    }
    b += "    codePath=" + codePath + "\n";
    b += "    resourcePath=" + codePath + "\n";
    b += nativeLibraryLines(codePath, sdk);
    b += "    versionCode=" + std::to_string(p.apk.versionCode) +
         (parsed ? " targetSdk=" + std::to_string(sdk) : "") + "\n";
    if (parsed) {
        b += "    versionName=" + p.apk.versionName + "\n";
        if (sdk >= kLollipopSdk) {
            b += "    splits=[base]\n";
        }
        b +=
            "    applicationInfo=ApplicationInfo{" + objectId(name, "ai", sdk) + " " + name + "}\n";
        b += "    flags=" + flags(p) + "\n";
        b += "    dataDir=" + std::string(sdk < kMarshmallowSdk ? "/data/data/" : "/data/user/0/") +
             name + "\n";
        b += "    supportsScreens=[small, medium, large, xlarge, resizeable, anyDensity]\n";
    }
    b += "    timeStamp=" + time(p.lastUpdateTime) + "\n";
    b += "    firstInstallTime=" + time(p.firstInstallTime) + "\n";
    b += "    lastUpdateTime=" + time(p.lastUpdateTime) + "\n";
    b += "    signatures=PackageSignatures{" + objectId(name, "sig", sdk) + " [" +
         objectId(name, "cert", sdk) + "]}\n";
    b += sdk < kMarshmallowSdk ? "    permissionsFixed=true haveGids=true installStatus=1\n"
                               : "    installPermissionsFixed=true installStatus=1\n";
    b += "    pkgFlags=" + flags(p) + "\n";
    if (sdk >= kMarshmallowSdk) {
        b += "    requested permissions:\n      android.permission.INTERNET\n";
        b += "    install permissions:\n      android.permission.INTERNET: granted=true\n";
    }
    const std::string user = sdk < kMarshmallowSdk ? "    User 0:  " : "    User 0: ";
    const std::string hidden = sdk < 19             ? ""
                               : sdk < kLollipopSdk ? "blocked=false "
                                                    : "hidden=false ";
    b += user + "installed=true " + hidden + "stopped=false notLaunched=false enabled=0\n";
    return b;
}

std::string activityResolver(const InstalledPackage& p, int sdk) {
    std::string out;
    const std::string& name = p.apk.packageName;
    if (!p.apk.activities.empty()) {
        const std::string& main = p.apk.activities.front();
        const std::string shortName =
            main.rfind(name + ".", 0) == 0 ? main.substr(name.size()) : main;
        out += "        " + objectId(main, "ri", sdk) + " " + name + "/" + shortName + " filter " +
               objectId(main, "filter", sdk) + "\n";
    }
    return out;
}

class Sections {
  public:
    void add(const std::string& title, const std::string& body) {
        if (body.empty()) {
            return;
        }
        if (!m_text.empty()) {
            m_text += "\n";
        }
        m_text += title + "\n" + body;
    }
    const std::string& text() const { return m_text; }

  private:
    std::string m_text;
};

}  // namespace

std::string DumpsysPackage(const std::vector<const InstalledPackage*>& packages, int sdk,
                           const std::string& name) {
    const bool onePackage = name.find('.') != std::string::npos || name == "android";
    std::vector<const InstalledPackage*> chosen;
    for (const InstalledPackage* p : packages) {
        if (!onePackage || p->apk.packageName == name) {
            chosen.push_back(p);
        }
    }
    if (chosen.empty()) {
        return {};
    }
    std::string resolver;
    std::string keySets;
    std::string blocks;
    std::string hidden;
    for (const InstalledPackage* p : chosen) {
        resolver += activityResolver(*p, sdk);
        if (sdk >= kLollipopSdk) {
            keySets += "  [" + p->apk.packageName +
                       "]\n      Signing KeySets: " + std::to_string(p->appId % 97 + 1) + "\n";
        }
        blocks += packageBlock(*p, sdk, true);
        if (p->hiddenSystem) {
            hidden += packageBlock(*p->hiddenSystem, sdk, false);
        }
    }
    Sections out;
    if (!resolver.empty()) {
        out.add("Activity Resolver Table:",
                "  Non-Data Actions:\n      android.intent.action.MAIN:\n" + resolver);
    }
    out.add("Key Set Manager:", keySets);
    out.add("Packages:", blocks);
    out.add("Hidden system packages:", hidden);
    return out.text();
}

}  // namespace qvpc::boxsim
