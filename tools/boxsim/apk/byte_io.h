#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qvpc::boxsim {

// Thrown by the readers of Android's binary formats when the input breaks the
// format; the APK reader turns it into a package manager failure code.
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Little-endian reads with bounds checks over a byte buffer that stays alive
// for the reader's lifetime. Every offset comes from untrusted input.
class ByteView {
  public:
    explicit ByteView(std::string_view bytes) : m_bytes(bytes) {}

    size_t size() const { return m_bytes.size(); }
    std::string_view bytes() const { return m_bytes; }

    uint8_t u8(size_t at) const {
        require(at, 1);
        return static_cast<uint8_t>(m_bytes[at]);
    }
    uint16_t u16(size_t at) const {
        require(at, 2);
        return static_cast<uint16_t>(u8raw(at) | (u8raw(at + 1) << 8));
    }
    uint32_t u32(size_t at) const {
        require(at, 4);
        return static_cast<uint32_t>(u8raw(at)) | (static_cast<uint32_t>(u8raw(at + 1)) << 8) |
               (static_cast<uint32_t>(u8raw(at + 2)) << 16) |
               (static_cast<uint32_t>(u8raw(at + 3)) << 24);
    }
    std::string_view slice(size_t at, size_t length) const {
        require(at, length);
        return m_bytes.substr(at, length);
    }
    void require(size_t at, size_t length) const {
        if (at > m_bytes.size() || length > m_bytes.size() - at) {
            throw FormatError("truncated data");
        }
    }

  private:
    uint32_t u8raw(size_t at) const { return static_cast<uint8_t>(m_bytes[at]); }
    std::string_view m_bytes;
};

// Appends little-endian values; the writers of the APK builder use it.
class ByteWriter {
  public:
    void u8(uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void u16(uint16_t v) {
        u8(v & 0xff);
        u8(v >> 8);
    }
    void u32(uint32_t v) {
        u16(v & 0xffff);
        u16(v >> 16);
    }
    void bytes(std::string_view b) { m_out.append(b); }
    void padTo4() {
        while (m_out.size() % 4 != 0) {
            u8(0);
        }
    }
    // Overwrites a 32-bit value written earlier (chunk sizes known only at the end).
    void patchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_out[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
        }
    }
    size_t size() const { return m_out.size(); }
    std::string& str() { return m_out; }

  private:
    std::string m_out;
};

}  // namespace qvpc::boxsim
