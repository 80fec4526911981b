#include "base/png_file.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace qvpc {

bool IsPngFile(const std::string& path) {
    constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::array<char, kSignature.size()> head{};
    in.read(head.data(), head.size());
    return in.gcount() == static_cast<std::streamsize>(head.size()) &&
           std::string_view(head.data(), head.size()) == kSignature;
}

}  // namespace qvpc
