#include "services/lookup_unescape.h"

#include <optional>

#include "base/utf8.h"

namespace qvpc {
namespace {

// The unit of "%uXXXX" or "\uXXXX" at the position.
std::optional<char32_t> EscapedUnit(std::string_view text, std::size_t at) {
    if (at + 6 > text.size() || (text[at] != '%' && text[at] != '\\') || text[at + 1] != 'u') {
        return std::nullopt;
    }
    char32_t unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        unit = unit * 16 + static_cast<char32_t>(digit);
    }
    return unit;
}

std::string DropLoneCarriageReturns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

std::string UnescapeLookupReply(std::string_view body) {
    std::string lines;
    if (body.starts_with('\r') && !body.starts_with("\r\n")) {
        lines = DropLoneCarriageReturns(body);
        body = lines;
    }
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size();) {
        const std::optional<char32_t> unit = EscapedUnit(body, i);
        if (!unit) {
            out.push_back(body[i++]);
            continue;
        }
        i += 6;
        char32_t codePoint = *unit;
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            const std::optional<char32_t> low = EscapedUnit(body, i);
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*low - 0xDC00);
                i += 6;
            }
        }
        AppendUtf8(out, codePoint);
    }
    return out;
}

}  // namespace qvpc
