#include "devices/mac_lookup.h"

#include <arpa/inet.h>

#include "base/log.h"
#include "base/message_boxes.h"

namespace qvpc {
namespace {

// The failures whose codes are worth a log record.
std::string_view FailureText(int error) {
    switch (error) {
        case ArpAnswer::kNoAnswer:
            return "对方没有开机";
        case ArpAnswer::kBadBuffer:
            return "最后一个参数尺寸不对";
        case ArpAnswer::kNotOnLink:
            return "错误: 67";
        default:
            return {};
    }
}

}  // namespace

MacLookup::MacLookup(Log& log, Dialogs& dialogs, std::function<ArpAnswer(std::uint32_t)> arp)
    : m_log(log), m_dialogs(dialogs), m_arp(std::move(arp)) {}

std::string MacLookup::MacText(const std::array<std::uint8_t, 6>& mac) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : mac) {
        if (!text.empty()) {
            text += '-';
        }
        text += {kHex[byte >> 4], kHex[byte & 0x0F]};
    }
    return text;
}

std::string MacLookup::LookupMac(const std::string& ip) {
    in_addr address{};
    if (inet_pton(AF_INET, ip.c_str(), &address) != 1 || address.s_addr == 0) {
        m_dialogs.MsgBox(Notice({}, "获取本机网络地址失败！"));
        return {};
    }
    if (!m_arp) {
        return {};
    }
    const ArpAnswer answer = m_arp(address.s_addr);
    if (answer.error == 0) {
        return MacText(answer.mac);
    }
    if (const std::string_view failure = FailureText(answer.error); !failure.empty()) {
        m_log.WriteLog(log_category::kOperation, failure);
    }
    return {};
}

}  // namespace qvpc
