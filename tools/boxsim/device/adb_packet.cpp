#include "boxsim/device/adb_packet.h"

#include "boxsim/apk/byte_io.h"

namespace qvpc::boxsim {

std::string EncodeAdbPacket(const AdbPacket& packet) {
    uint32_t check = 0;
    for (char c : packet.payload) {
        check += static_cast<uint8_t>(c);
    }
    ByteWriter w;
    w.u32(packet.command);
    w.u32(packet.arg0);
    w.u32(packet.arg1);
    w.u32(static_cast<uint32_t>(packet.payload.size()));
    w.u32(check);
    w.u32(packet.command ^ 0xffffffff);
    w.bytes(packet.payload);
    return std::move(w.str());
}

std::optional<AdbHeader> DecodeAdbHeader(std::string_view header, uint32_t maxPayload) {
    if (header.size() != adb::kHeaderSize) {
        return std::nullopt;
    }
    ByteView v(header);
    AdbHeader h{v.u32(0), v.u32(4), v.u32(8), v.u32(12)};
    if (v.u32(20) != (h.command ^ 0xffffffff) || h.length > maxPayload) {
        return std::nullopt;
    }
    return h;
}

std::string AdbCommandName(uint32_t command) {
    std::string name;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((command >> (8 * i)) & 0xff);
        name += (c >= 'A' && c <= 'Z') ? c : '?';
    }
    return name;
}

}  // namespace qvpc::boxsim
