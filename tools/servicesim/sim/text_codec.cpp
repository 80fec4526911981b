#include "sim/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace qvpc::servicesim {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return IconvHandle(cd);
}

// Converts in one pass. With replaceInvalid an input character the target
// cannot hold becomes "?" (the input must then be valid); without it any
// problem fails the conversion.
std::optional<std::string> Convert(std::string_view in, const char* to, const char* from,
                                   bool replaceInvalid) {
    IconvHandle cd = OpenIconv(to, from);
    if (!cd) {
        return std::nullopt;
    }
    std::string out;
    out.resize(in.size() * 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    size_t outPos = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + outPos;
        size_t outLeft = out.size() - outPos;
        size_t rc = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
        outPos = out.size() - outLeft;
        if (rc != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (errno == EILSEQ && replaceInvalid) {
            // Skip one UTF-8 character of the input and write "?".
            size_t skip = 1;
            unsigned char lead = static_cast<unsigned char>(*inPtr);
            if (lead >= 0xF0) {
                skip = 4;
            } else if (lead >= 0xE0) {
                skip = 3;
            } else if (lead >= 0xC0) {
                skip = 2;
            }
            skip = std::min(skip, inLeft);
            inPtr += skip;
            inLeft -= skip;
            if (outPos == out.size()) {
                out.resize(out.size() * 2);
            }
            out[outPos++] = '?';
            continue;
        }
        return std::nullopt;
    }
    out.resize(outPos);
    return out;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    if (!IsValidUtf8(utf8)) {
        return std::string(utf8.size(), '?');
    }
    return Convert(utf8, "GBK", "UTF-8", true).value_or(std::string());
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
    return Convert(gbk, "UTF-8", "GBK", false);
}

std::string PercentEncodeAll(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char b : bytes) {
        out.push_back('%');
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0x0F]);
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace qvpc::servicesim
