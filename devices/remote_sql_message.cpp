#include "devices/remote_sql_message.h"

#include <time.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <limits>

#include "base/gbk.h"
#include "base/hex_digit.h"

namespace qvpc::remote_sql {
namespace {

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

bool ContainsWhere(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("where") != std::string::npos;
}

std::string Join(std::initializer_list<std::string_view> fields) {
    std::string message;
    for (std::string_view field : fields) {
        message += field;
        message += kSeparator;
    }
    return message;
}

}  // namespace

int TokenOf(std::uint64_t tickMs, std::int64_t secondsSince1970At8) {
    const std::int64_t sum = static_cast<std::int64_t>(tickMs) + secondsSince1970At8;
    // The last four characters of the decimal text, read as a number.
    const std::string digits = std::to_string(sum);
    const std::string last = digits.size() > 4 ? digits.substr(digits.size() - 4) : digits;
    return std::max(0, std::stoi(last));
}

int ClockToken() {
    timespec boot{};
    clock_gettime(CLOCK_MONOTONIC, &boot);
    const std::uint64_t tickMs = static_cast<std::uint64_t>(boot.tv_sec) * 1000 +
                                 static_cast<std::uint64_t>(boot.tv_nsec) / 1'000'000;
    std::tm start{};
    start.tm_year = 70;
    start.tm_mday = 1;
    start.tm_hour = 8;
    start.tm_isdst = -1;
    const std::time_t origin = std::mktime(&start);
    return TokenOf(tickMs, static_cast<std::int64_t>(std::time(nullptr) - origin));
}

std::string TableOperand(std::string_view table) {
    if (table.find('`') != std::string_view::npos) {
        return std::string(table);
    }
    return "`" + std::string(table) + "`";
}

std::string WhereOperand(std::string_view where) {
    if (where.empty() || ContainsWhere(where)) {
        return std::string(where);
    }
    return " WHERE " + std::string(where);
}

std::string SelectMessage(int token, std::string_view remoteId, std::string_view table,
                          std::string_view column, std::string_view where) {
    return std::to_string(token) + "|+|QUE|+|" +
           Join({remoteId, TableOperand(table), column, WhereOperand(where)});
}

std::string CountMessage(int token, std::string_view remoteId, std::string_view table,
                         std::string_view where) {
    return std::to_string(token) + "|+|GUN|+|" +
           Join({remoteId, TableOperand(table), WhereOperand(where)});
}

std::string ExecuteMessage(int token, std::string_view remoteId, std::string_view sql) {
    return std::to_string(token) + "|+|SQL|+|" + Join({remoteId, sql});
}

std::string FormBody(std::string_view message) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string body = "DATA=";
    for (unsigned char byte : Utf8ToGbk(message)) {
        body += {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
    }
    return body;
}

std::string Quoted(std::string_view value) {
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\\' || c == '\'') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "'";
}

std::vector<std::string> SplitCells(std::string_view reply) {
    std::vector<std::string> cells;
    auto split = [](std::string_view text, std::string_view separator) {
        std::vector<std::string_view> parts;
        std::size_t from = 0;
        for (std::size_t at; (at = text.find(separator, from)) != std::string_view::npos;
             from = at + separator.size()) {
            parts.push_back(text.substr(from, at - from));
        }
        if (from < text.size()) {
            parts.push_back(text.substr(from));
        }
        return parts;
    };
    for (std::string_view row : split(reply, "<br>")) {
        for (std::string_view cell : split(row, "<rb>")) {
            cells.emplace_back(cell);
        }
    }
    return cells;
}

int ReplyNumber(std::string_view reply) {
    const std::string text = PercentDecode(reply);
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    at += negative ? 1 : 0;
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        value = std::min<long long>(value * 10 + (text[at] - '0'), std::numeric_limits<int>::max());
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace qvpc::remote_sql
