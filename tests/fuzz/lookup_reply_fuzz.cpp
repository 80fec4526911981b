// The package lookup's unescape on any reply: it never grows the text,
// leaves a text without escapes as it is, and gives back any valid text
// written as "\uXXXX" or "%uXXXX" units.
#include <string>
#include <string_view>

#include "base/utf8.h"
#include "fuzz_target.h"
#include "services/lookup_unescape.h"

namespace {

using qvpc::fuzz::Require;

// Every UTF-16 unit of valid UTF-8 text as prefix + four hexadecimal digits.
std::string Escaped(std::string_view utf8, std::string_view prefix) {
    std::string out;
    auto unit = [&](unsigned value) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out += prefix;
        for (int shift = 12; shift >= 0; shift -= 4) {
            out += kHex[(value >> shift) & 0xF];
        }
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    Require(qvpc::UnescapeLookupReply(reply).size() <= reply.size());

    const bool loneCrFirst = reply.starts_with('\r') && !reply.starts_with("\r\n");
    if (reply.find_first_of("\\%") == std::string_view::npos && !loneCrFirst) {
        Require(qvpc::UnescapeLookupReply(reply) == reply);
    }

    const std::string text = qvpc::ValidUtf8(reply);
    for (std::string_view prefix : {"\\u", "%u"}) {
        Require(qvpc::UnescapeLookupReply(Escaped(text, prefix)) == text);
    }
    return 0;
}
