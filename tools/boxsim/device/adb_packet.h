#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvpc::boxsim {

// The ADB transport packet: a 24-byte header of six little-endian words
// (command, arg0, arg1, data length, data check, magic) and its payload.
namespace adb {
inline constexpr uint32_t kCnxn = 0x4e584e43;
inline constexpr uint32_t kAuth = 0x48545541;
inline constexpr uint32_t kOpen = 0x4e45504f;
inline constexpr uint32_t kOkay = 0x59414b4f;
inline constexpr uint32_t kWrte = 0x45545257;
inline constexpr uint32_t kClse = 0x45534c43;

// What an Android 4.x-6.x adbd answers: the first protocol version and
// 4 KiB payloads.
inline constexpr uint32_t kDeviceVersion = 0x01000000;
inline constexpr uint32_t kDeviceMaxPayload = 4096;
// The most any host sends (adb 29's MAX_PAYLOAD).
inline constexpr uint32_t kHostMaxPayload = 1024 * 1024;

inline constexpr uint32_t kAuthToken = 1;
inline constexpr uint32_t kAuthSignature = 2;
inline constexpr uint32_t kAuthRsaPublicKey = 3;

inline constexpr size_t kHeaderSize = 24;
}  // namespace adb

struct AdbPacket {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    std::string payload;
};

// The header with data_check filled in (old hosts verify it; new ones ignore it).
std::string EncodeAdbPacket(const AdbPacket& packet);

struct AdbHeader {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    uint32_t length = 0;
};

// nullopt when the magic is wrong or the payload would exceed maxPayload.
std::optional<AdbHeader> DecodeAdbHeader(std::string_view header, uint32_t maxPayload);

std::string AdbCommandName(uint32_t command);

}  // namespace qvpc::boxsim
