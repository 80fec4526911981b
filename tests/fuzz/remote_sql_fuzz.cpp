// The remote SQL service's texts on any input: a reply's cells hold no
// separator, a count's reply reads back any number, and any value placed in
// a quoted literal reads back whole, as the service (MySQL reading GBK)
// takes the bytes that leave.
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "base/gbk.h"
#include "devices/remote_sql_message.h"
#include "fuzz_target.h"

namespace {

using qvpc::fuzz::Require;

namespace sql = qvpc::remote_sql;

// The text of a quoted MySQL literal read from GBK bytes: a GBK character
// is two bytes whatever its second one, a backslash takes the next byte as
// it is. Nothing when the literal ends before the last byte or never.
std::optional<std::string> ReadLiteral(std::string_view gbk) {
    if (!gbk.starts_with('\'')) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < gbk.size(); ++i) {
        const auto byte = static_cast<unsigned char>(gbk[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < gbk.size()) {
            text += gbk.substr(i++, 2);
        } else if (byte == '\\' && i + 1 < gbk.size()) {
            text += gbk[++i];
        } else if (byte == '\'') {
            return i + 1 == gbk.size() ? std::optional(text) : std::nullopt;
        } else {
            text += gbk[i];
        }
    }
    return std::nullopt;
}

// What the service reads from a form body: the bytes of its %XX triples.
std::string Decoded(std::string_view body) {
    std::string bytes;
    for (std::size_t i = 5; i + 2 < body.size() && body[i] == '%'; i += 3) {
        bytes += static_cast<char>(std::stoi(std::string(body.substr(i + 1, 2)), nullptr, 16));
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::size_t cellBytes = 0;
    for (const std::string& cell : sql::SplitCells(input)) {
        Require(cell.find("<br>") == std::string::npos && cell.find("<rb>") == std::string::npos);
        cellBytes += cell.size();
    }
    Require(cellBytes <= input.size());

    sql::ReplyNumber(input);
    int number = 0;
    std::memcpy(&number, input.data(), std::min(sizeof number, input.size()));
    if (number != INT_MIN) {
        const std::string digits = std::to_string(number);
        Require(sql::ReplyNumber(digits) == number);
        Require(sql::ReplyNumber(sql::FormBody(digits).substr(5)) == number);
    }

    const std::string body = sql::FormBody(sql::Quoted(input));
    Require(body.starts_with("DATA=") && (body.size() - 5) % 3 == 0);
    Require(ReadLiteral(Decoded(body)) == qvpc::Utf8ToGbk(input));
    return 0;
}
