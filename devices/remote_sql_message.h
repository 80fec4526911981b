#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::remote_sql {

// The texts the remote SQL service reads and writes. Messages are UTF-8
// here; they leave as GBK bytes, each written "%" plus two upper-case
// hexadecimal digits.

inline constexpr std::string_view kSeparator = "|+|";
// What the service, or a request that failed, answers for a failure.
inline constexpr std::string_view kFailure = "-1";

// The request token: the tick count in milliseconds plus the seconds since
// 1970-01-01 08:00:00 local time, in decimal, its last four digits.
int TokenOf(std::uint64_t tickMs, std::int64_t secondsSince1970At8);
// The token of now, from the machine's clocks.
int ClockToken();

// The table between backquotes, unless it already holds one.
std::string TableOperand(std::string_view table);
// " WHERE " + where, unless it is empty or already holds "where" in any case.
std::string WhereOperand(std::string_view where);

std::string SelectMessage(int token, std::string_view remoteId, std::string_view table,
                          std::string_view column, std::string_view where);
std::string CountMessage(int token, std::string_view remoteId, std::string_view table,
                         std::string_view where);
std::string ExecuteMessage(int token, std::string_view remoteId, std::string_view sql);

// The form body that carries a message: "DATA=" and every GBK byte of it
// percent-encoded, letters and digits included.
std::string FormBody(std::string_view message);

// A value as a quoted string literal of the service's SQL (MySQL): its
// backslashes and quotes escaped, so a value cannot end the literal early.
std::string Quoted(std::string_view value);

// A select's reply: rows end at "<br>", cells at "<rb>". An empty part after
// the last separator is neither a row nor a cell; empty parts between two
// separators are cells.
std::vector<std::string> SplitCells(std::string_view reply);

// A count's or a statement's reply: percent-decoded and read as a decimal
// integer with an optional leading "-"; text that is no number gives 0.
int ReplyNumber(std::string_view reply);

}  // namespace qvpc::remote_sql
