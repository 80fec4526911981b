#include "sim/remote_sql_message.h"

#include "sim/text_codec.h"
#include "simnet/url_decode.h"

namespace qvpc::servicesim {

std::optional<RemoteSqlMessage> SplitRemoteSqlMessage(std::string_view text) {
    RemoteSqlMessage message;
    message.text = std::string(text);
    // Every field, the last one included, is followed by the separator.
    std::string_view rest = text;
    if (rest.ends_with(kRemoteSqlSeparator)) {
        rest.remove_suffix(kRemoteSqlSeparator.size());
    }
    auto take = [&rest](std::string& field) {
        size_t at = rest.find(kRemoteSqlSeparator);
        if (at == std::string_view::npos) {
            return false;
        }
        field = std::string(rest.substr(0, at));
        rest.remove_prefix(at + kRemoteSqlSeparator.size());
        return true;
    };
    if (!take(message.token) || !take(message.kind)) {
        return std::nullopt;
    }
    if (message.kind == "SQL") {
        if (!take(message.remoteId)) {
            return std::nullopt;
        }
        message.operands.emplace_back(rest);
        return message;
    }
    size_t operandCount = message.kind == "QUE" ? 3 : message.kind == "GUN" ? 2 : 0;
    if (!take(message.remoteId)) {
        // A message without operands ends right after the remote id.
        message.remoteId = std::string(rest);
        rest = {};
        if (operandCount == 0) {
            return message;
        }
        return std::nullopt;
    }
    while (message.operands.size() + 1 < operandCount) {
        std::string field;
        if (!take(field)) {
            return std::nullopt;
        }
        message.operands.push_back(std::move(field));
    }
    // The last operand (the where text) is the rest, separators and all.
    message.operands.emplace_back(rest);
    return message;
}

bool EveryByteEncoded(std::string_view formBody) {
    constexpr std::string_view kField = "DATA=";
    if (!formBody.starts_with(kField)) {
        return false;
    }
    auto upperHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    const std::string_view encoded = formBody.substr(kField.size());
    if (encoded.size() % 3 != 0) {
        return false;
    }
    for (size_t at = 0; at < encoded.size(); at += 3) {
        if (encoded[at] != '%' || !upperHex(encoded[at + 1]) || !upperHex(encoded[at + 2])) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> DataFieldBytes(std::string_view formBody) {
    for (const auto& [name, value] : simnet::ParseFormText(formBody)) {
        if (name == "DATA") {
            return value;
        }
    }
    return std::nullopt;
}

bool WellFormedToken(std::string_view token) {
    if (token.empty() || token.size() > 4 || (token.size() > 1 && token[0] == '0')) {
        return false;
    }
    for (char c : token) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::optional<RemoteSqlMessage> DecodeRemoteSqlBody(std::string_view formBody) {
    for (const auto& [name, value] : simnet::ParseFormText(formBody)) {
        if (name != "DATA") {
            continue;
        }
        std::optional<std::string> utf8 = GbkToUtf8(value);
        if (!utf8) {
            return std::nullopt;
        }
        return SplitRemoteSqlMessage(*utf8);
    }
    return std::nullopt;
}

}  // namespace qvpc::servicesim
