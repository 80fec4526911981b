#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::servicesim {

// One message of the remote SQL service: token |+| kind |+| remote id |+|
// operands … |+|, sent as the form field DATA with every GBK byte
// percent-encoded.
struct RemoteSqlMessage {
    std::string token;
    std::string kind;  // "QUE", "GUN" or "SQL"
    std::string remoteId;
    std::vector<std::string> operands;  // QUE: table, column, where; GUN: table, where; SQL: sql
    std::string text;                   // the whole decoded message (UTF-8)
};

inline constexpr std::string_view kRemoteSqlSeparator = "|+|";

// Decodes a form body ("DATA=%31%32…"): the DATA field, percent-decoded, GBK
// to UTF-8, split. Nothing when there is no DATA field, the bytes are not
// GBK, or the message has fewer than the three leading fields.
std::optional<RemoteSqlMessage> DecodeRemoteSqlBody(std::string_view formBody);

// Whether the form body is "DATA=" and nothing but "%" with two upper-case
// hexadecimal digits per byte, as the program sends every message: the real
// service refuses a message with a byte left as it is.
bool EveryByteEncoded(std::string_view formBody);

// The bytes of the DATA field, percent-decoded but not converted: what the
// client sent, exactly. Nothing without a DATA field.
std::optional<std::string> DataFieldBytes(std::string_view formBody);

// Whether a token is one the client can send: 0 to 9999, in decimal,
// without leading zeros.
bool WellFormedToken(std::string_view token);

// Splits a decoded message. The SQL operand keeps any separator inside it.
std::optional<RemoteSqlMessage> SplitRemoteSqlMessage(std::string_view text);

}  // namespace qvpc::servicesim
