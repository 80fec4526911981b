#include "base/file_names.h"

#include "base/utf8.h"

namespace qvpc {

std::string FileExtension(std::string_view path) {
    std::size_t dot = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        switch (path[i]) {
            case '.':
                dot = i;
                break;
            case '/':
            case '\\':
            case ' ':
                dot = std::string_view::npos;
                break;
            default:
                break;
        }
    }
    return dot == std::string_view::npos ? std::string{} : std::string(path.substr(dot));
}

std::string FileName(std::string_view path, bool keepExtension) {
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        if (path[i] == '/' || path[i] == '\\' || path[i] == ':') {
            start = i + 1;
        }
    }
    std::string_view name = path.substr(start);
    if (!keepExtension) {
        name.remove_suffix(FileExtension(name).size());
    }
    return std::string(name);
}

std::string SafeFileName(std::string_view name) {
    std::string safe = ValidUtf8(name);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) {
            c = '_';
        }
    }
    const std::size_t first = safe.find_first_not_of('.');
    safe.erase(0, first == std::string::npos ? safe.size() : first);
    return std::string(Utf8Prefix(safe, kSafeFileNameBytes));
}

std::string ApkFileName(std::string_view appName) {
    const std::string name = SafeFileName(appName);
    return (name.empty() ? std::string("app") : name) + ".apk";
}

}  // namespace qvpc
