#include "net/json_reader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/hex_digit.h"
#include "base/utf8.h"

namespace qvpc {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsIdentifierPart(char c) {
    return IsIdentifierStart(c) || IsDigit(c);
}

// JavaScript's name for a member written as a number ({1: ...} is member
// "1"): the number's shortest digits, an integer below 1e21 written out in
// full ("1e3" is member "1000").
std::string NumberName(double value) {
    char buffer[64];
    const bool whole = value == std::floor(value) && std::fabs(value) < 1e21;
    const auto [end, ec] =
        whole ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific)
              : std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) {
        return {};
    }
    const std::string shortest(buffer, end);
    if (!whole) {
        return shortest;
    }
    // "1.111e+19": the digits, then zeros up to the exponent.
    const std::size_t e = shortest.find('e');
    const int exponent = std::atoi(shortest.c_str() + e + 1);
    std::string digits = shortest.substr(0, e);
    const bool negative = digits.starts_with('-');
    std::erase(digits, '-');
    std::erase(digits, '.');
    if (digits == "0") {
        return "0";  // -0 too
    }
    digits.append(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
    return (negative ? "-" : "") + digits;
}

class Reader {
  public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document() {
        std::optional<JsonValue> value = readValue();
        if (!value || !skipSpace() || m_pos != m_text.size()) {
            return std::nullopt;
        }
        return value;
    }

  private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    bool startsWith(std::string_view word) const { return m_text.substr(m_pos).starts_with(word); }

    // The byte length of the white space or line end at the position, 0 when
    // there is none: JavaScript's own (no-break and ideographic spaces, the
    // byte-order mark, the Unicode line separators) as well as ASCII's.
    std::size_t spaceLength() const {
        switch (peek()) {
            case ' ':
            case '\t':
            case '\n':
            case '\r':
            case '\v':
            case '\f':
                return 1;
            default:
                break;
        }
        static constexpr std::string_view kWide[] = {
            "\xC2\xA0",     "\xEF\xBB\xBF", "\xE2\x80\xA8", "\xE2\x80\xA9",
            "\xE3\x80\x80", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE1\x9A\x80",
        };
        if (static_cast<unsigned char>(peek()) < 0x80) {
            return 0;
        }
        for (std::string_view space : kWide) {
            if (startsWith(space)) {
                return space.size();
            }
        }
        // U+2000 to U+200A.
        if (startsWith("\xE2\x80") && m_pos + 2 < m_text.size()) {
            const auto third = static_cast<unsigned char>(m_text[m_pos + 2]);
            if (third >= 0x80 && third <= 0x8A) {
                return 3;
            }
        }
        return 0;
    }

    // Skips white space and comments; false on a comment without its end.
    bool skipSpace() {
        while (!atEnd()) {
            if (const std::size_t length = spaceLength()) {
                m_pos += length;
            } else if (startsWith("//")) {
                const std::size_t end = m_text.find_first_of("\r\n", m_pos);
                m_pos = end == std::string_view::npos ? m_text.size() : end;
            } else if (startsWith("/*")) {
                const std::size_t end = m_text.find("*/", m_pos + 2);
                if (end == std::string_view::npos) {
                    return false;
                }
                m_pos = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    std::optional<JsonValue> readValue() {
        if (!skipSpace() || atEnd()) {
            return std::nullopt;
        }
        const char c = peek();
        if (c == '{' || c == '[' || c == '(') {
            if (++m_depth > kMaxJsonDepth) {
                return std::nullopt;
            }
            std::optional<JsonValue> value = c == '{'   ? readObject()
                                             : c == '[' ? readArray()
                                                        : readParenthesised();
            --m_depth;
            return value;
        }
        if (c == '"' || c == '\'') {
            std::optional<std::string> text = readString();
            if (!text) {
                return std::nullopt;
            }
            return JsonValue::String(std::move(*text));
        }
        if (c == '-' || c == '+' || c == '.' || IsDigit(c)) {
            std::optional<double> number = readSignedNumber();
            if (!number) {
                return std::nullopt;
            }
            return JsonValue::Number(*number);
        }
        return readWord();
    }

    std::optional<JsonValue> readParenthesised() {
        ++m_pos;
        std::optional<JsonValue> value = readValue();
        if (!value || !skipSpace() || peek() != ')') {
            return std::nullopt;
        }
        ++m_pos;
        return value;
    }

    std::optional<JsonValue> readWord() {
        const std::string_view word = identifier();
        if (word == "true" || word == "false") {
            return JsonValue::Boolean(word == "true");
        }
        if (word == "null" || word == "undefined") {
            return JsonValue();
        }
        if (word == "NaN") {
            return JsonValue::Number(std::numeric_limits<double>::quiet_NaN());
        }
        if (word == "Infinity") {
            return JsonValue::Number(std::numeric_limits<double>::infinity());
        }
        return std::nullopt;
    }

    std::string_view identifier() {
        const std::size_t start = m_pos;
        if (atEnd() || !IsIdentifierStart(peek())) {
            return {};
        }
        while (!atEnd() && IsIdentifierPart(peek()) && spaceLength() == 0) {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }

    std::optional<JsonValue> readArray() {
        ++m_pos;
        JsonValue array = JsonValue::Array();
        while (true) {
            if (!skipSpace()) {
                return std::nullopt;
            }
            if (peek() == ']') {
                ++m_pos;
                return array;
            }
            if (peek() == ',') {
                // A hole, as in [1,,2].
                ++m_pos;
                array.append(JsonValue());
                continue;
            }
            std::optional<JsonValue> element = readValue();
            if (!element || !skipSpace()) {
                return std::nullopt;
            }
            array.append(std::move(*element));
            if (peek() == ',') {
                ++m_pos;
            } else if (peek() != ']') {
                return std::nullopt;
            }
        }
    }

    std::optional<JsonValue> readObject() {
        ++m_pos;
        JsonValue object = JsonValue::Object();
        while (true) {
            if (!skipSpace()) {
                return std::nullopt;
            }
            if (peek() == '}') {
                ++m_pos;
                return object;
            }
            std::optional<std::string> name = readMemberName();
            if (!name || !skipSpace() || peek() != ':') {
                return std::nullopt;
            }
            ++m_pos;
            std::optional<JsonValue> value = readValue();
            if (!value || !skipSpace()) {
                return std::nullopt;
            }
            object.setMember(std::move(*name), std::move(*value));
            if (peek() == ',') {
                ++m_pos;
            } else if (peek() != '}') {
                return std::nullopt;
            }
        }
    }

    std::optional<std::string> readMemberName() {
        const char c = peek();
        if (c == '"' || c == '\'') {
            return readString();
        }
        if (IsDigit(c) || c == '.') {
            std::optional<double> number = readNumber();
            if (!number) {
                return std::nullopt;
            }
            return NumberName(*number);
        }
        const std::string_view word = identifier();
        if (word.empty()) {
            return std::nullopt;
        }
        return std::string(word);
    }

    std::optional<double> readSignedNumber() {
        bool negative = false;
        while (peek() == '-' || peek() == '+') {
            negative ^= peek() == '-';
            ++m_pos;
            if (!skipSpace()) {
                return std::nullopt;
            }
        }
        std::optional<double> number;
        if (startsWith("Infinity")) {
            m_pos += 8;
            number = std::numeric_limits<double>::infinity();
        } else if (startsWith("NaN")) {
            m_pos += 3;
            number = std::numeric_limits<double>::quiet_NaN();
        } else {
            number = readNumber();
        }
        if (!number) {
            return std::nullopt;
        }
        return negative ? -*number : *number;
    }

    // An unsigned numeric literal: decimal with fraction and exponent, or
    // hexadecimal.
    std::optional<double> readNumber() {
        if (startsWith("0x") || startsWith("0X")) {
            m_pos += 2;
            double value = 0;
            const std::size_t start = m_pos;
            while (!atEnd() && HexValue(peek()) >= 0) {
                value = value * 16 + HexValue(peek());
                ++m_pos;
            }
            if (m_pos == start || (!atEnd() && IsIdentifierPart(peek()))) {
                return std::nullopt;
            }
            return value;
        }
        const std::size_t start = m_pos;
        while (IsDigit(peek())) {
            ++m_pos;
        }
        const bool intDigits = m_pos > start;
        bool fractionDigits = false;
        if (peek() == '.') {
            ++m_pos;
            while (IsDigit(peek())) {
                ++m_pos;
                fractionDigits = true;
            }
        }
        if (!intDigits && !fractionDigits) {
            return std::nullopt;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_pos;
            if (peek() == '+' || peek() == '-') {
                ++m_pos;
            }
            if (!IsDigit(peek())) {
                return std::nullopt;
            }
            while (IsDigit(peek())) {
                ++m_pos;
            }
        }
        // A number runs straight into a name only in broken text ("3in").
        if (!atEnd() && IsIdentifierStart(peek())) {
            return std::nullopt;
        }
        // from_chars reads neither ".5" nor "5." nor "5.e3" the way
        // JavaScript does: the missing digits are written out.
        std::string digits(m_text.substr(start, m_pos - start));
        if (const std::size_t dot = digits.find('.'); dot != std::string::npos) {
            if (dot + 1 == digits.size() || !IsDigit(digits[dot + 1])) {
                digits.insert(dot + 1, "0");
            }
            if (dot == 0) {
                digits.insert(0, "0");
            }
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec == std::errc::result_out_of_range) {
            // Past the range of a double JavaScript reads Infinity, below it 0.
            const std::size_t e = digits.find_first_of("eE");
            const bool tiny =
                e != std::string::npos && e + 1 < digits.size() && digits[e + 1] == '-';
            return tiny ? 0.0 : std::numeric_limits<double>::infinity();
        }
        if (ec != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        return value;
    }

    std::optional<std::string> readString() {
        const char quote = peek();
        ++m_pos;
        std::string out;
        const char stops[] = {quote, '\\', '\n', '\r'};
        while (true) {
            const std::size_t stop =
                m_text.find_first_of(std::string_view(stops, sizeof stops), m_pos);
            if (stop == std::string_view::npos) {
                return std::nullopt;
            }
            out.append(m_text.substr(m_pos, stop - m_pos));
            m_pos = stop;
            const char c = m_text[m_pos];
            if (c == quote) {
                ++m_pos;
                return out;
            }
            if (c != '\\') {
                return std::nullopt;  // a line end inside a string
            }
            ++m_pos;
            if (!readEscape(out)) {
                return std::nullopt;
            }
        }
    }

    // The escape after a backslash.
    bool readEscape(std::string& out) {
        if (atEnd()) {
            return false;
        }
        const char c = m_text[m_pos++];
        switch (c) {
            case 'n':
                out.push_back('\n');
                return true;
            case 't':
                out.push_back('\t');
                return true;
            case 'r':
                out.push_back('\r');
                return true;
            case 'b':
                out.push_back('\b');
                return true;
            case 'f':
                out.push_back('\f');
                return true;
            case 'v':
                out.push_back('\v');
                return true;
            case '\r':
                // A line continuation, CR LF as one line end.
                if (peek() == '\n') {
                    ++m_pos;
                }
                return true;
            case '\n':
                return true;
            case 'x': {
                const int high = HexValue(peek());
                const int low = m_pos + 1 < m_text.size() ? HexValue(m_text[m_pos + 1]) : -1;
                if (high < 0 || low < 0) {
                    return false;
                }
                m_pos += 2;
                AppendUtf8(out, static_cast<char32_t>(high * 16 + low));
                return true;
            }
            case 'u':
                return readUnicodeEscape(out);
            default:
                break;
        }
        if (c >= '0' && c <= '7') {
            // Octal escapes ("\0" is NUL), as the engines of the day read them.
            unsigned value = static_cast<unsigned>(c - '0');
            const int maxDigits = c <= '3' ? 3 : 2;
            for (int digits = 1; digits < maxDigits && peek() >= '0' && peek() <= '7'; ++digits) {
                value = value * 8 + static_cast<unsigned>(peek() - '0');
                ++m_pos;
            }
            AppendUtf8(out, value);
            return true;
        }
        // Any other character stands for itself ("\'", "\"", "\\", "\/",
        // "\q").
        out.push_back(c);
        return true;
    }

    std::optional<unsigned> hex4() {
        if (m_pos + 4 > m_text.size()) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexValue(m_text[m_pos + i]);
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + static_cast<unsigned>(digit);
        }
        m_pos += 4;
        return value;
    }

    // "\uXXXX", a surrogate pair as two of them.
    bool readUnicodeEscape(std::string& out) {
        std::optional<unsigned> unit = hex4();
        if (!unit) {
            return false;
        }
        if (*unit >= 0xD800 && *unit <= 0xDBFF && startsWith("\\u")) {
            const std::size_t back = m_pos;
            m_pos += 2;
            std::optional<unsigned> low = hex4();
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
                return true;
            }
            m_pos = back;
        }
        AppendUtf8(out, *unit);
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_depth = 0;
};

}  // namespace

std::optional<JsonValue> ReadJavaScriptValue(std::string_view text) {
    return Reader(text).document();
}

}  // namespace qvpc
