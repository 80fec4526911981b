#include "companion/icon_cache.h"

#include <filesystem>
#include <fstream>
#include <span>

#include "base/atomic_file.h"
#include "base/file_names.h"
#include "base/picture_bytes.h"

namespace qvpc {
namespace {

// A cached file this small or smaller (1.00 thousand bytes once rounded) is
// taken for a failed fetch and asked for again.
constexpr std::uintmax_t kRefreshBelowBytes = 1005;

std::uintmax_t RegularFileSize(const std::string& path, bool& exists) {
    std::error_code ec;
    exists = std::filesystem::is_regular_file(path, ec);
    if (!exists) {
        return 0;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    exists = !ec;
    return ec ? 0 : size;
}

// The file's bytes; empty when it is missing, unreadable or too large to be
// an icon.
std::string ReadIconFile(const std::string& path) {
    bool exists = false;
    const std::uintmax_t size = RegularFileSize(path, exists);
    if (!exists || size > IconCache::kIconLimit) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace

double IconFileSize(const std::string& path) {
    bool exists = false;
    const std::uintmax_t bytes = RegularFileSize(path, exists);
    if (!exists) {
        return -1;
    }
    // Rounded on whole hundredths: 1.005 has no exact double.
    return static_cast<double>((bytes + 5) / 10) / 100.0;
}

std::string UrlFileName(std::string_view url) {
    const std::size_t slash = url.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? url : url.substr(slash + 1);
    return last.find('.') == std::string_view::npos ? std::string() : std::string(last);
}

std::string PercentEncodeAll(std::string_view bytes) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
    return out;
}

std::string IconRefreshUrl(std::string_view iconPath) {
    // Cut at the last "/" rather than removing the name wherever it occurs,
    // which would also cut it out of a host or folder of the same name.
    const std::size_t slash = iconPath.rfind('/');
    const std::string_view base =
        slash == std::string_view::npos ? std::string_view() : iconPath.substr(0, slash + 1);
    return std::string(base) + PercentEncodeAll(FileName(UrlFileName(iconPath), false)) + ".png";
}

IconCache::IconCache(std::string dir) : m_dir(std::move(dir)) {}

std::string IconCache::iconFile(std::string_view iconPath) const {
    const std::string name =
        iconPath == "null" ? std::string(kNoIconName) : SafeFileName(UrlFileName(iconPath));
    return name.empty() ? std::string() : m_dir + name;
}

std::string IconCache::icon(std::string_view iconPath, const Fetch& fetch) const {
    const std::string file = iconFile(iconPath);
    if (file.empty()) {
        return {};
    }
    bool exists = false;
    if (iconPath != "null" && fetch && RegularFileSize(file, exists) < kRefreshBelowBytes) {
        const std::string bytes = fetch(IconRefreshUrl(iconPath));
        // An empty file would only stand for the icon; what is no picture
        // would stay for good once it is larger than the refresh size.
        if (bytes.size() <= kIconLimit && LooksLikePicture(bytes)) {
            WriteFileReplacing(file, std::span(reinterpret_cast<const unsigned char*>(bytes.data()),
                                               bytes.size()));
        }
    }
    return ReadIconFile(file);
}

}  // namespace qvpc
