#include "simnet/url_decode.h"

namespace qvpc::simnet {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseFormText(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            amp = text.size();
        }
        std::string_view part = text.substr(pos, amp - pos);
        if (!part.empty()) {
            size_t eq = part.find('=');
            std::string_view name = part.substr(0, eq);
            std::string_view value =
                eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1);
            pairs.emplace_back(PercentDecode(name, true), PercentDecode(value, true));
        }
        pos = amp + 1;
    }
    return pairs;
}

}  // namespace qvpc::simnet
