#include "net/json_path.h"

#include <charconv>

#include "net/json_value.h"

namespace qvpc {
namespace {

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsNamePart(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// Digits without a needless leading zero, as JavaScript writes an index.
bool ParseIndex(std::string_view digits, std::size_t& index) {
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) {
        return false;
    }
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    return ec == std::errc() && end == digits.data() + digits.size();
}

}  // namespace

bool JsonPath::fail() {
    m_failed = true;
    return false;
}

bool JsonPath::next(Step& step) {
    if (m_failed || m_pos >= m_path.size()) {
        return false;
    }
    const char c = m_path[m_pos];
    if (c == '[') {
        return readBracket(step);
    }
    if (m_pos > 0) {
        if (c != '.') {
            return fail();
        }
        ++m_pos;
    }
    return readName(step);
}

bool JsonPath::readName(Step& step) {
    const std::size_t start = m_pos;
    if (m_pos >= m_path.size() || !IsNameStart(m_path[m_pos])) {
        return fail();
    }
    while (m_pos < m_path.size() && IsNamePart(m_path[m_pos])) {
        ++m_pos;
    }
    step.isIndex = false;
    step.name = m_path.substr(start, m_pos - start);
    return true;
}

bool JsonPath::readBracket(Step& step) {
    const std::size_t close = m_path.find(']', m_pos);
    if (close == std::string_view::npos) {
        return fail();
    }
    std::string_view inside = m_path.substr(m_pos + 1, close - m_pos - 1);
    m_pos = close + 1;
    if (inside.size() >= 2 && (inside.front() == '\'' || inside.front() == '"') &&
        inside.back() == inside.front()) {
        step.isIndex = false;
        step.name = inside.substr(1, inside.size() - 2);
        if (step.name.find_first_of("'\"\\") != std::string_view::npos) {
            return fail();
        }
        return true;
    }
    step.isIndex = true;
    std::size_t index = 0;
    // JavaScript reads a leading zero too ("arr[01]" is arr[1]).
    while (inside.size() > 1 && inside.front() == '0') {
        inside.remove_prefix(1);
    }
    if (!ParseIndex(inside, index)) {
        return fail();
    }
    step.index = index;
    return true;
}

const JsonValue* JsonStep(const JsonValue& value, const JsonPath::Step& step) {
    switch (value.kind()) {
        case JsonValue::Kind::Array: {
            std::size_t index = step.index;
            if (!step.isIndex && !ParseIndex(step.name, index)) {
                return nullptr;
            }
            return value.element(index);
        }
        case JsonValue::Kind::Object: {
            if (!step.isIndex) {
                return value.member(step.name);
            }
            char digits[24];
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, step.index);
            return ec == std::errc() ? value.member(std::string_view(digits, end - digits))
                                     : nullptr;
        }
        default:
            return nullptr;
    }
}

const JsonValue* FindJsonPath(const JsonValue& root, std::string_view path) {
    JsonPath steps(path);
    JsonPath::Step step;
    const JsonValue* at = &root;
    while (steps.next(step)) {
        at = JsonStep(*at, step);
        if (!at) {
            return nullptr;
        }
    }
    return steps.failed() ? nullptr : at;
}

}  // namespace qvpc
