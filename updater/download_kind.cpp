#include "updater/download_kind.h"

#include <fstream>
#include <string_view>

namespace qvpc::updater {
namespace {

constexpr std::size_t kTarMagicOffset = 257;
constexpr std::size_t kHeadLength = 512;

}  // namespace

DownloadKind KindOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(kHeadLength, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const std::string_view bytes = head;
    if (bytes.starts_with("\x7f"
                          "ELF")) {
        return DownloadKind::Program;
    }
    if (bytes.starts_with("!<arch>\ndebian-binary")) {
        return DownloadKind::DebianPackage;
    }
    if (bytes.starts_with("\x1f\x8b") ||
        (bytes.size() == kHeadLength && bytes.substr(kTarMagicOffset, 5) == "ustar")) {
        return DownloadKind::Archive;
    }
    return DownloadKind::Unknown;
}

}  // namespace qvpc::updater
