#include "boxsim/apk/apk_builder.h"

#include <openssl/sha.h>
#include <zlib.h>

#include <fstream>
#include <stdexcept>

#include "boxsim/apk/binary_xml.h"
#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/image.h"
#include "boxsim/apk/jar_signature.h"
#include "boxsim/apk/res_format.h"
#include "boxsim/apk/resource_table.h"

namespace qvpc::boxsim {

namespace {

constexpr uint32_t kIconId = 0x7f010000;   // drawable/icon
constexpr uint32_t kLabelId = 0x7f020000;  // string/app_name
constexpr const char* kIconPath = "res/drawable/icon.png";

// An empty but well-formed DEX file: header and map list only.
std::string stubDex() {
    constexpr uint32_t kHeaderSize = 0x70;
    constexpr uint32_t kMapSize = 4 + 2 * 12;
    ByteWriter w;
    w.bytes(std::string_view("dex\n035\0", 8));
    w.u32(0);                        // checksum, patched below
    w.bytes(std::string(20, '\0'));  // SHA-1 signature, patched below
    w.u32(kHeaderSize + kMapSize);   // file_size
    w.u32(kHeaderSize);
    w.u32(0x12345678);  // endian tag
    w.u32(0);           // link
    w.u32(0);
    w.u32(kHeaderSize);  // map_off
    for (int i = 0; i < 12; ++i) {
        w.u32(0);  // string, type, proto, field, method and class ids: none
    }
    w.u32(kMapSize);  // data_size
    w.u32(kHeaderSize);
    w.u32(2);
    w.u16(0x0000);  // header item
    w.u16(0);
    w.u32(1);
    w.u32(0);
    w.u16(0x1000);  // map list
    w.u16(0);
    w.u32(1);
    w.u32(kHeaderSize);
    std::string& dex = w.str();
    unsigned char sha[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(dex.data()) + 32, dex.size() - 32, sha);
    dex.replace(12, 20, reinterpret_cast<char*>(sha), 20);
    const uLong adler =
        adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(dex.data()) + 12,
                static_cast<uInt>(dex.size() - 12));
    w.patchU32(8, static_cast<uint32_t>(adler));
    return std::move(dex);
}

std::string manifest(const ApkSpec& spec, const std::string& versionName) {
    XmlAttributeSpec package{false, "package", 0, res::kTypeString, 0, spec.packageName};
    XmlNodeSpec root{"manifest",
                     {IntAttribute("versionCode", res::kAttrVersionCode, spec.versionCode),
                      StringAttribute("versionName", res::kAttrVersionName, versionName), package},
                     {}};
    root.children.push_back({"uses-sdk",
                             {IntAttribute("minSdkVersion", res::kAttrMinSdkVersion, 9),
                              IntAttribute("targetSdkVersion", res::kAttrTargetSdkVersion, 19)},
                             {}});
    XmlNodeSpec application{"application",
                            {ReferenceAttribute("label", res::kAttrLabel, kLabelId),
                             ReferenceAttribute("icon", res::kAttrIcon, kIconId)},
                            {}};
    if (!spec.activity.empty()) {
        XmlNodeSpec launcher{"intent-filter", {}, {}};
        launcher.children.push_back(
            {"action",
             {StringAttribute("name", res::kAttrName, "android.intent.action.MAIN")},
             {}});
        launcher.children.push_back(
            {"category",
             {StringAttribute("name", res::kAttrName, "android.intent.category.LAUNCHER")},
             {}});
        application.children.push_back({"activity",
                                        {StringAttribute("name", res::kAttrName, spec.activity),
                                         ReferenceAttribute("label", res::kAttrLabel, kLabelId)},
                                        {launcher}});
    }
    root.children.push_back(application);
    return WriteBinaryXml(root);
}

// Filler that does not compress, derived from the package name.
std::string padding(const ApkSpec& spec) {
    std::string out;
    out.reserve(spec.paddingBytes + SHA256_DIGEST_LENGTH);
    unsigned char block[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(spec.packageName.data()), spec.packageName.size(),
           block);
    while (out.size() < spec.paddingBytes) {
        SHA256(block, sizeof block, block);
        out.append(reinterpret_cast<char*>(block), sizeof block);
    }
    out.resize(spec.paddingBytes);
    return out;
}

bool isValidActivity(std::string_view name) {
    if (name.empty() || name.size() > 255) {
        return false;
    }
    for (char c : name) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '$')) {
            return false;
        }
    }
    return name.back() != '.';
}

}  // namespace

bool IsValidAndroidPackageName(std::string_view name) {
    if (name.empty() || name.size() > 255) {
        return false;
    }
    int segments = 0;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('.', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view segment = name.substr(start, end - start);
        if (segment.empty() || !std::isalpha(static_cast<unsigned char>(segment[0]))) {
            return false;
        }
        for (char c : segment) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
                return false;
            }
        }
        ++segments;
        start = end + 1;
    }
    return segments >= 2;
}

std::string BuildApk(const ApkSpec& spec) {
    if (!IsValidAndroidPackageName(spec.packageName)) {
        throw std::invalid_argument("bad package name: " + spec.packageName);
    }
    if (!spec.activity.empty() && !isValidActivity(spec.activity)) {
        throw std::invalid_argument("bad activity name: " + spec.activity);
    }
    if (spec.versionCode < 0 || spec.versionCode > INT32_MAX) {
        throw std::invalid_argument("version code out of range");
    }
    const TestSigningIdentity identity = MakeTestSigningIdentity(spec.certName);
    const std::string versionName =
        spec.versionName.empty() ? std::to_string(spec.versionCode) + ".0" : spec.versionName;
    const std::string label = spec.label.empty() ? spec.packageName : spec.label;
    const std::string icon = spec.iconPng.empty() ? DefaultIconPng(spec.packageName) : spec.iconPng;

    std::vector<ZipEntry> entries;
    entries.push_back({"AndroidManifest.xml", manifest(spec, versionName), true});
    entries.push_back({"classes.dex", stubDex(), true});
    entries.push_back({kIconPath, icon, false});
    entries.push_back({"resources.arsc",
                       WriteResourceTable(spec.packageName, {{"drawable", {{"icon", kIconPath}}},
                                                             {"string", {{"app_name", label}}}}),
                       false});
    if (spec.paddingBytes > 0) {
        entries.push_back({"assets/padding.bin", padding(spec), false});
    }
    std::vector<ZipEntry> signature = SignJarV1(entries, identity);
    // Signature files first, as jarsigner and apksigner place them.
    signature.insert(signature.end(), entries.begin(), entries.end());
    return WriteZip(signature);
}

void WriteApk(const ApkSpec& spec, const std::string& path) {
    const std::string bytes = BuildApk(spec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace qvpc::boxsim
