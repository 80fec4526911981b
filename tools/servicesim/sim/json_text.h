#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace qvpc::servicesim {

// How a JSON reply is written.
enum class JsonStyle {
    // As PHP's json_encode with JSON_UNESCAPED_UNICODE writes it: UTF-8 text,
    // "/" escaped as "\/".
    Php,
    // As json_encode writes it by default: also every non-ASCII character as
    // a "\uXXXX" escape.
    PhpAscii,
    // A JavaScript object literal: member names bare where JavaScript allows
    // it, strings in single quotes (the program evaluates replies as
    // JavaScript, so a server may send this).
    JsLiteral,
};

// With a line end, the value is written one member or element a line, the
// lines ending so.
std::string WriteJson(const nlohmann::ordered_json& value, JsonStyle style,
                      const std::string& lineEnd = {});

}  // namespace qvpc::servicesim
