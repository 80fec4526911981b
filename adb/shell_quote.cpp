#include "adb/shell_quote.h"

namespace qvpc {
namespace {

bool IsBareChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        return true;
    }
    switch (c) {
        case '.':
        case '_':
        case ':':
        case '/':
        case '@':
        case '%':
        case '+':
        case '=':
        case ',':
        case '-':
            return true;
        default:
            return false;
    }
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string ShellWord(std::string_view value) {
    bool bare = !value.empty();
    for (char c : value) {
        bare = bare && IsBareChar(c);
    }
    if (bare) {
        return std::string(value);
    }
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    quoted += '\'';
    return quoted;
}

std::string QuotedPath(std::string_view path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '$' || c == '`' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

bool IsValidPackageName(std::string_view name) {
    // Android keeps every package in a folder named after it (/data/data/
    // NAME), so no real name is longer than a file name may be.
    if (name.size() > kMaxPackageNameBytes) {
        return false;
    }
    int segments = 0;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('.', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        std::string_view segment = name.substr(start, end - start);
        if (segment.empty() || !IsLetter(segment.front())) {
            return false;
        }
        for (char c : segment) {
            if (!IsLetter(c) && !IsDigit(c) && c != '_') {
                return false;
            }
        }
        ++segments;
        start = end + 1;
    }
    return segments >= 2;
}

}  // namespace qvpc
