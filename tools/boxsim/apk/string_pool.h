#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/apk/byte_io.h"

namespace qvpc::boxsim {

// A ResStringPool chunk read lazily: strings are decoded (UTF-8 or UTF-16,
// always returned as UTF-8) only when asked for, with every offset checked.
class StringPoolReader {
  public:
    StringPoolReader() = default;
    // chunk is the whole pool chunk, header included.
    explicit StringPoolReader(std::string_view chunk);

    size_t count() const { return m_count; }
    // Throws FormatError for a bad index or a damaged string.
    std::string at(uint32_t index) const;

  private:
    std::string_view m_chunk;
    size_t m_count = 0;
    size_t m_offsetsAt = 0;
    size_t m_stringsAt = 0;
    bool m_utf8 = false;
};

// Builds a string pool chunk; index of each string is its insertion order.
class StringPoolWriter {
  public:
    explicit StringPoolWriter(bool utf8) : m_utf8(utf8) {}

    // Returns the index of the string, adding it when new.
    uint32_t add(std::string_view text);
    // The chunk bytes, padded to 4.
    std::string build() const;

  private:
    bool m_utf8;
    std::vector<std::string> m_strings;
};

// UTF-8 → UTF-16 code units and back; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace qvpc::boxsim
