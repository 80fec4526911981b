#include "boxsim/box/companion_json.h"

#include <cstdio>

namespace qvpc::boxsim {

namespace {

void writeString(const std::string& s, std::string& out) {
    out += '"';
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
}

void write(const nlohmann::json& value, std::string& out) {
    if (value.is_string()) {
        writeString(value.get_ref<const std::string&>(), out);
    } else if (value.is_array()) {
        out += '[';
        for (size_t i = 0; i < value.size(); ++i) {
            out += i ? "," : "";
            write(value[i], out);
        }
        out += ']';
    } else if (value.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += first ? "" : ",";
            first = false;
            writeString(key, out);
            out += ':';
            write(member, out);
        }
        out += '}';
    } else {
        out += value.dump();
    }
}

}  // namespace

std::string WriteJsonKeepingBytes(const nlohmann::json& value) {
    std::string out;
    write(value, out);
    return out;
}

}  // namespace qvpc::boxsim
