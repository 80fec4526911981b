#include "sim/mysql_dialect.h"

namespace qvpc::servicesim {
namespace {

// The character a MySQL backslash escape stands for.
std::string Unescape(char c) {
    switch (c) {
        case '0':
            return std::string(1, '\0');
        case 'n':
            return "\n";
        case 'r':
            return "\r";
        case 't':
            return "\t";
        case 'b':
            return "\b";
        case 'Z':
            return "\x1A";
        case '%':
            return "\\%";
        case '_':
            return "\\_";
        default:
            return std::string(1, c);
    }
}

}  // namespace

std::string MysqlToSqlite(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 8);
    size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '`') {
            size_t end = sql.find('`', i + 1);
            end = end == std::string_view::npos ? sql.size() : end + 1;
            out.append(sql.substr(i, end - i));
            i = end;
            continue;
        }
        if (c != '\'' && c != '"') {
            out.push_back(c);
            ++i;
            continue;
        }
        const char quote = c;
        std::string value;
        size_t j = i + 1;
        bool closed = false;
        while (j < sql.size()) {
            char d = sql[j];
            if (d == '\\' && j + 1 < sql.size()) {
                value += Unescape(sql[j + 1]);
                j += 2;
            } else if (d == quote && j + 1 < sql.size() && sql[j + 1] == quote) {
                value.push_back(quote);
                j += 2;
            } else if (d == quote) {
                closed = true;
                ++j;
                break;
            } else {
                value.push_back(d);
                ++j;
            }
        }
        if (!closed) {
            out.append(sql.substr(i));
            break;
        }
        out.push_back('\'');
        for (char v : value) {
            if (v == '\'') {
                out.push_back('\'');
            }
            out.push_back(v);
        }
        out.push_back('\'');
        i = j;
    }
    return out;
}

}  // namespace qvpc::servicesim
