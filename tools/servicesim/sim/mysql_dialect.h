#pragma once

#include <string>
#include <string_view>

namespace qvpc::servicesim {

// The remote service is PHP on MySQL; the double runs SQLite. This rewrites
// MySQL's string literals into SQLite's so that a statement means the same
// on both. In '...' and "..." a backslash escapes the next character (quote,
// backslash, n, r, t, 0, Z; before % and _ it stays, as in MySQL) and a
// doubled quote is a quote; the result is a single-quoted SQLite literal
// with its quotes doubled. Backquoted names and everything outside literals
// stay as they are; an unterminated literal is copied unchanged for SQLite
// to refuse.
std::string MysqlToSqlite(std::string_view sql);

}  // namespace qvpc::servicesim
