#include "base/picture_bytes.h"

namespace qvpc {

bool LooksLikePicture(std::string_view bytes) {
    constexpr std::string_view kSignatures[] = {
        "\x89PNG\r\n\x1a\n", "\xFF\xD8\xFF", "GIF87a", "GIF89a", "BM",
    };
    for (std::string_view signature : kSignatures) {
        if (bytes.starts_with(signature)) {
            return true;
        }
    }
    return bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WEBP";
}

}  // namespace qvpc
