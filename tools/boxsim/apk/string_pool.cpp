#include "boxsim/apk/string_pool.h"

#include "boxsim/apk/res_format.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kHeaderSize = 28;

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xc0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xe0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    } else {
        out.push_back(static_cast<char>(0xf0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    }
}

// The pool's length prefixes: one unit, or two with the high bit set.
void writeLength8(ByteWriter& w, size_t n) {
    if (n > 0x7f) {
        w.u8(static_cast<uint8_t>(0x80 | ((n >> 8) & 0x7f)));
    }
    w.u8(static_cast<uint8_t>(n & 0xff));
}

void writeLength16(ByteWriter& w, size_t n) {
    if (n > 0x7fff) {
        w.u16(static_cast<uint16_t>(0x8000 | ((n >> 16) & 0x7fff)));
    }
    w.u16(static_cast<uint16_t>(n & 0xffff));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<uint8_t>(text[i]);
        uint32_t cp = 0xfffd;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xe0) == 0xc0) {
            len = 2;
        } else if ((b & 0xf0) == 0xe0) {
            len = 3;
        } else if ((b & 0xf8) == 0xf0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > text.size()) {
                len = 1;
            } else {
                cp = b & (0x7f >> len);
                for (size_t k = 1; k < len; ++k) {
                    auto c = static_cast<uint8_t>(text[i + k]);
                    if ((c & 0xc0) != 0x80) {
                        cp = 0xfffd;
                        len = 1;
                        break;
                    }
                    cp = (cp << 6) | (c & 0x3f);
                }
            }
        }
        i += len;
        if (cp >= 0x10000 && cp <= 0x10ffff) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xd800 | (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xdc00 | (cp & 0x3ff)));
        } else {
            out.push_back(static_cast<char16_t>(cp > 0x10ffff ? 0xfffd : cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xd800 && cp < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] < 0xe000) {
            cp = 0x10000 + ((cp - 0xd800) << 10) + (text[i + 1] - 0xdc00);
            ++i;
        } else if (cp >= 0xd800 && cp < 0xe000) {
            cp = 0xfffd;
        }
        appendUtf8(out, cp);
    }
    return out;
}

StringPoolReader::StringPoolReader(std::string_view chunk) : m_chunk(chunk) {
    ByteView v(chunk);
    if (v.u16(0) != res::kStringPoolType) {
        throw FormatError("not a string pool");
    }
    const size_t headerSize = v.u16(2);
    const size_t count = v.u32(8);
    const uint32_t flags = v.u32(16);
    const size_t stringsStart = v.u32(20);
    if (headerSize < kHeaderSize || count > chunk.size() / 4) {
        throw FormatError("bad string pool header");
    }
    v.require(headerSize, count * 4);
    m_count = count;
    m_offsetsAt = headerSize;
    m_stringsAt = stringsStart;
    m_utf8 = (flags & res::kUtf8Flag) != 0;
}

std::string StringPoolReader::at(uint32_t index) const {
    if (index >= m_count) {
        throw FormatError("string index out of range");
    }
    ByteView v(m_chunk);
    size_t p = m_stringsAt + static_cast<size_t>(v.u32(m_offsetsAt + 4 * size_t{index}));
    if (p < m_stringsAt) {
        throw FormatError("string offset overflow");
    }
    if (m_utf8) {
        // UTF-16 length first (unused), then the UTF-8 byte length.
        auto skipLength = [&](size_t& at) {
            size_t n = v.u8(at);
            if (n & 0x80) {
                n = ((n & 0x7f) << 8) | v.u8(at + 1);
                at += 2;
            } else {
                at += 1;
            }
            return n;
        };
        skipLength(p);
        size_t bytes = skipLength(p);
        return std::string(v.slice(p, bytes));
    }
    size_t n = v.u16(p);
    p += 2;
    if (n & 0x8000) {
        n = ((n & 0x7fff) << 16) | v.u16(p);
        p += 2;
    }
    v.require(p, n * 2);
    std::u16string units(n, u'\0');
    for (size_t i = 0; i < n; ++i) {
        units[i] = static_cast<char16_t>(v.u16(p + 2 * i));
    }
    return Utf16ToUtf8(units);
}

uint32_t StringPoolWriter::add(std::string_view text) {
    for (size_t i = 0; i < m_strings.size(); ++i) {
        if (m_strings[i] == text) {
            return static_cast<uint32_t>(i);
        }
    }
    m_strings.emplace_back(text);
    return static_cast<uint32_t>(m_strings.size() - 1);
}

std::string StringPoolWriter::build() const {
    ByteWriter data;
    std::vector<uint32_t> offsets;
    for (const auto& s : m_strings) {
        offsets.push_back(static_cast<uint32_t>(data.size()));
        std::u16string units = Utf8ToUtf16(s);
        if (m_utf8) {
            writeLength8(data, units.size());
            writeLength8(data, s.size());
            data.bytes(s);
            data.u8(0);
        } else {
            writeLength16(data, units.size());
            for (char16_t c : units) {
                data.u16(c);
            }
            data.u16(0);
        }
    }
    data.padTo4();

    ByteWriter w;
    const uint32_t stringsStart = static_cast<uint32_t>(kHeaderSize + 4 * offsets.size());
    w.u16(res::kStringPoolType);
    w.u16(kHeaderSize);
    w.u32(static_cast<uint32_t>(stringsStart + data.size()));
    w.u32(static_cast<uint32_t>(m_strings.size()));
    w.u32(0);  // styles
    w.u32(m_utf8 ? res::kUtf8Flag : 0);
    w.u32(stringsStart);
    w.u32(0);
    for (uint32_t o : offsets) {
        w.u32(o);
    }
    w.bytes(data.str());
    return std::move(w.str());
}

}  // namespace qvpc::boxsim
