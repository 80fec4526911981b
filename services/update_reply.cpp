#include "services/update_reply.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "base/gbk.h"
#include "base/utf8.h"
#include "net/http_client.h"

namespace qvpc {
namespace {

constexpr std::size_t kItemsNeeded = 5;
// The reply is a line of text; anything larger is no reply of this server.
constexpr std::size_t kLargestReply = 64 * 1024;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string Trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The charset named by the reply's Content-Type header, lower case.
std::string HeaderCharset(const std::string& headers) {
    const std::string lower = Lower(headers);
    const std::size_t type = lower.find("\ncontent-type:");
    if (type == std::string::npos) {
        return {};
    }
    const std::size_t lineEnd = lower.find("\r\n", type + 1);
    const std::string line = lower.substr(type, lineEnd - type);
    const std::size_t at = line.find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    std::string charset = line.substr(at + 8);
    charset = charset.substr(0, charset.find_first_of("; \t\""));
    return charset;
}

bool IsSuccess(const std::string& status) {
    return status.size() >= 3 && status[0] == '2' &&
           std::isdigit(static_cast<unsigned char>(status[1])) &&
           std::isdigit(static_cast<unsigned char>(status[2]));
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        if (length == 0 || (length == 2 && lead < 0xC2) || (length == 4 && lead > 0xF4) ||
            i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::string UpdateReplyText(const HttpReply& reply) {
    if (!IsSuccess(reply.status) || reply.bytes.size() > kLargestReply) {
        return {};
    }
    std::string_view bytes = reply.bytes;
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.starts_with(kUtf8Mark)) {
        return ValidUtf8(bytes.substr(kUtf8Mark.size()));
    }
    // Chinese text in GBK is practically never valid UTF-8, so the bytes
    // themselves tell a file saved as UTF-8 even where the header still says
    // GBK.
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    const std::string charset = HeaderCharset(reply.headers);
    if (charset.empty() || charset == "gbk" || charset == "gb2312" || charset == "utf-8" ||
        charset == "utf8") {
        return GbkToUtf8(bytes);
    }
    // A charset iconv does not know leaves the bytes as they came.
    return ValidUtf8(CharsetToUtf8(bytes, charset));
}

ParsedUpdateReply ParseUpdateReply(std::string_view text) {
    ParsedUpdateReply parsed;
    if (text.empty()) {
        return parsed;
    }
    const std::string_view first = text.substr(0, text.find("<br>"));
    std::vector<std::string_view> items;
    for (std::size_t from = 0;;) {
        const std::size_t at = first.find("<rb>", from);
        items.push_back(first.substr(from, at - from));
        if (at == std::string_view::npos) {
            break;
        }
        from = at + 4;
    }
    if (items.size() < kItemsNeeded) {
        parsed.kind = ParsedUpdateReply::Kind::TooFewItems;
        return parsed;
    }
    parsed.kind = ParsedUpdateReply::Kind::Offer;
    parsed.offer.version = Trimmed(items[0]);
    parsed.offer.url = Trimmed(items[1]);
    parsed.offer.force = Trimmed(items[2]);
    parsed.offer.notes = std::string(items[3]);
    return parsed;
}

}  // namespace qvpc
