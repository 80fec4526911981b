#include "sim/json_text.h"

#include <cstdio>

namespace qvpc::servicesim {
namespace {

std::string EscapeSlashes(const std::string& json) {
    // "/" appears in JSON text only inside strings, so every one can go.
    std::string out;
    out.reserve(json.size() + json.size() / 8);
    for (char c : json) {
        if (c == '/') {
            out += "\\/";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool IsBareName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    bool allDigits = true;
    for (char c : name) {
        allDigits = allDigits && c >= '0' && c <= '9';
    }
    if (allDigits) {
        // A numeric literal names the member "1" as well as "1" does.
        return name.size() == 1 || name[0] != '0';
    }
    auto identStart = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
    };
    if (!identStart(name[0])) {
        return false;
    }
    for (char c : name) {
        if (!identStart(c) && !(c >= '0' && c <= '9')) {
            return false;
        }
    }
    return true;
}

void WriteSingleQuoted(const std::string& text, std::string& out) {
    out.push_back('\'');
    for (unsigned char c : text) {
        switch (c) {
            case '\'':
                out += "\\'";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\x%02x", c);
                    out += buf;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    out.push_back('\'');
}

void WriteLiteral(const nlohmann::ordered_json& value, std::string& out) {
    if (value.is_object()) {
        out.push_back('{');
        bool first = true;
        for (const auto& [name, member] : value.items()) {
            if (!first) {
                out.push_back(',');
            }
            first = false;
            if (IsBareName(name)) {
                out += name;
            } else {
                WriteSingleQuoted(name, out);
            }
            out.push_back(':');
            WriteLiteral(member, out);
        }
        out.push_back('}');
    } else if (value.is_array()) {
        out.push_back('[');
        bool first = true;
        for (const auto& element : value) {
            if (!first) {
                out.push_back(',');
            }
            first = false;
            WriteLiteral(element, out);
        }
        out.push_back(']');
    } else if (value.is_string()) {
        WriteSingleQuoted(value.get_ref<const std::string&>(), out);
    } else {
        out += value.dump();
    }
}

}  // namespace

std::string WriteJson(const nlohmann::ordered_json& value, JsonStyle style,
                      const std::string& lineEnd) {
    const int indent = lineEnd.empty() ? -1 : 1;
    auto lines = [&](std::string text) {
        if (lineEnd.empty()) {
            return text;
        }
        std::string out;
        for (char c : text) {
            out += c == '\n' ? lineEnd : std::string(1, c);
        }
        return out;
    };
    switch (style) {
        case JsonStyle::Php:
            return lines(EscapeSlashes(
                value.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace)));
        case JsonStyle::PhpAscii:
            return lines(EscapeSlashes(
                value.dump(indent, ' ', true, nlohmann::ordered_json::error_handler_t::replace)));
        case JsonStyle::JsLiteral: {
            std::string out;
            WriteLiteral(value, out);
            return out;
        }
    }
    return {};
}

}  // namespace qvpc::servicesim
