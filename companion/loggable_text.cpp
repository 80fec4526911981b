#include "companion/loggable_text.h"

#include "base/utf8.h"

namespace qvpc {

std::string LoggableText(std::string_view text) {
    const std::string valid = ValidUtf8(text);
    std::string line(Utf8Prefix(valid, kLoggedBytes));
    const bool cut = line.size() < valid.size();
    for (char& c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    return cut ? line + "…" : line;
}

}  // namespace qvpc
