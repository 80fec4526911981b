#include "boxsim/apk/apk_reader.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <exception>

#include "boxsim/apk/apk_builder.h"
#include "boxsim/apk/binary_xml.h"
#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/image.h"
#include "boxsim/apk/jar_signature.h"
#include "boxsim/apk/res_format.h"
#include "boxsim/apk/resource_table.h"
#include "boxsim/apk/zip_archive.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxManifestBytes = 4u << 20;
constexpr size_t kMaxTableBytes = 64u << 20;
constexpr size_t kMaxIconBytes = 4u << 20;
constexpr size_t kMaxSignatureBytes = 4u << 20;
constexpr size_t kMaxIconPixels = 1024 * 1024;

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string qualify(const std::string& package, const std::string& name) {
    if (name.empty()) {
        return name;
    }
    if (name[0] == '.') {
        return package + name;
    }
    if (name.find('.') == std::string::npos) {
        return package + "." + name;
    }
    return name;
}

// The signing certificate: a PKCS#7 block under META-INF/ whose signature
// over its .SF file verifies. Empty when there is none.
std::string signingCertificate(const ZipReader& zip) {
    for (const std::string& name : zip.names()) {
        if (name.rfind("META-INF/", 0) != 0 || name.find('/', 9) != std::string::npos) {
            continue;
        }
        if (!endsWith(name, ".RSA") && !endsWith(name, ".DSA") && !endsWith(name, ".EC")) {
            continue;
        }
        const std::string base = name.substr(0, name.rfind('.'));
        auto block = zip.read(name, kMaxSignatureBytes);
        auto signatureFile = zip.read(base + ".SF", kMaxSignatureBytes);
        if (!block || !signatureFile) {
            continue;
        }
        auto cert = VerifiedSignerCertificate(*block, *signatureFile);
        ERR_clear_error();
        if (cert) {
            return *cert;
        }
    }
    return {};
}

std::string resolveLabel(const XmlAttribute* attr, const ResourceTable* table) {
    if (!attr) {
        return {};
    }
    if (attr->type == res::kTypeString) {
        return attr->text;
    }
    if (attr->type == res::kTypeReference && table) {
        return table->resolveString(attr->data).value_or("");
    }
    return attr->text;
}

std::string resolveIcon(const XmlAttribute* attr, const ResourceTable* table,
                        const ZipReader& zip) {
    if (!attr || attr->type != res::kTypeReference || !table) {
        return {};
    }
    for (const std::string& path : table->resolveFiles(attr->data)) {
        if (!endsWith(path, ".png")) {
            continue;  // adaptive icons and vector drawables are XML
        }
        auto bytes = zip.read(path, kMaxIconBytes);
        if (bytes && DecodePng(*bytes, kMaxIconPixels)) {
            return *bytes;
        }
    }
    return {};
}

ApkReadResult fail(const char* code) {
    return {std::nullopt, code};
}

}  // namespace

ApkReadResult ReadApk(std::string_view bytes) {
    auto zip = ZipReader::open(bytes);
    if (!zip) {
        return fail("INSTALL_PARSE_FAILED_NOT_APK");
    }
    auto manifestBytes = zip->read("AndroidManifest.xml", kMaxManifestBytes);
    if (!manifestBytes) {
        return fail("INSTALL_PARSE_FAILED_BAD_MANIFEST");
    }
    std::vector<XmlElement> elements;
    try {
        elements = ReadBinaryXml(*manifestBytes);
    } catch (const FormatError&) {
        return fail("INSTALL_PARSE_FAILED_MANIFEST_MALFORMED");
    }
    if (elements.empty() || elements.front().name != "manifest") {
        return fail("INSTALL_PARSE_FAILED_MANIFEST_MALFORMED");
    }

    ApkInfo info;
    const XmlElement& root = elements.front();
    if (const XmlAttribute* p = root.find(0, "package")) {
        info.packageName = p->text;
    }
    if (!IsValidAndroidPackageName(info.packageName)) {
        return fail("INSTALL_PARSE_FAILED_BAD_PACKAGE_NAME");
    }
    if (const XmlAttribute* code = root.find(res::kAttrVersionCode, "versionCode")) {
        if (code->type == res::kTypeIntDec || code->type == res::kTypeIntHex) {
            info.versionCode = static_cast<int32_t>(code->data);
        }
    }
    if (const XmlAttribute* name = root.find(res::kAttrVersionName, "versionName")) {
        info.versionName = name->text;
    }

    info.certificateDer = signingCertificate(*zip);
    if (info.certificateDer.empty()) {
        return fail("INSTALL_PARSE_FAILED_NO_CERTIFICATES");
    }

    // Resources only matter for the label and icon; a damaged table leaves
    // them empty, as the launcher then shows the package name.
    auto tableBytes = zip->read("resources.arsc", kMaxTableBytes);
    std::optional<ResourceTable> table;
    if (tableBytes) {
        try {
            table.emplace(*tableBytes);
        } catch (const FormatError&) {
        }
    }
    const ResourceTable* tablePtr = table ? &*table : nullptr;
    for (const XmlElement& e : elements) {
        try {
            if (e.name == "application" && e.depth == 1) {
                info.label = resolveLabel(e.find(res::kAttrLabel, "label"), tablePtr);
                info.icon = resolveIcon(e.find(res::kAttrIcon, "icon"), tablePtr, *zip);
            } else if ((e.name == "activity" || e.name == "activity-alias") && e.depth == 2) {
                if (const XmlAttribute* name = e.find(res::kAttrName, "name")) {
                    info.activities.push_back(qualify(info.packageName, name->text));
                }
            }
        } catch (const FormatError&) {
        }
    }
    return {std::move(info), {}};
}

}  // namespace qvpc::boxsim
