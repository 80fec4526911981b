#include "base/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <type_traits>
#include <vector>

namespace qvpc {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvPtr = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

// iconv with every unconvertible or invalid sequence replaced by one "?".
std::string Convert(std::string_view input, const char* to, const char* from) {
    // A failed open is (iconv_t)-1, not null: it must not reach the closer.
    iconv_t opened = iconv_open(to, from);
    if (opened == reinterpret_cast<iconv_t>(-1)) {
        return std::string(input);
    }
    IconvPtr cd(opened);
    std::string out;
    std::vector<char> buffer(4096);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        std::size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL: skip one input character.
            out.push_back('?');
            std::size_t skip = 1;
            if (std::string_view(from) == "UTF-8" || std::string_view(from) == "utf-8") {
                // Skip the whole UTF-8 sequence, not only its lead byte.
                while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
                    ++skip;
                }
            } else if (static_cast<unsigned char>(*in) >= 0x81 && inLeft >= 2) {
                skip = 2;
            }
            in += skip;
            inLeft -= skip;
        }
    }
    return out;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    return Convert(utf8, "GBK", "UTF-8");
}

std::string GbkToUtf8(std::string_view gbk) {
    return Convert(gbk, "UTF-8", "GBK");
}

std::string CharsetToUtf8(std::string_view text, const std::string& charset) {
    return Convert(text, "UTF-8", charset.c_str());
}

std::size_t GbkByteLength(std::string_view utf8) {
    return Utf8ToGbk(utf8).size();
}

}  // namespace qvpc
