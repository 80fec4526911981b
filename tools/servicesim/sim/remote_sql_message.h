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

// Splits a decoded message. The SQL operand keeps any separator inside it.
std::optional<RemoteSqlMessage> SplitRemoteSqlMessage(std::string_view text);

}  // namespace qvpc::servicesim
