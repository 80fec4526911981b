// JsonDocument on any text: no read or write may fail, and whatever strict
// JSON says is a value is one for it too. The input's first line is a path,
// the rest the document.
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "net/json_document.h"

namespace {

int Depth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    for (char c : text) {
        depth += c == '[' || c == '{';
        depth -= c == ']' || c == '}';
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

void Read(const qvpc::JsonDocument& document, std::string_view path) {
    document.getText(path);
    document.getNumber(path);
    document.count(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto [path, text] = qvpc::fuzz::SplitFirstLine(input);

    qvpc::JsonDocument document;
    const bool parsed = document.parse(text);
    for (std::string_view fixed : {"arr", "arr[1].appid", "arr['allnum']", "[0]", "a.b.c", ""}) {
        Read(document, fixed);
    }
    Read(document, path);
    document.setText(path, std::string(text.substr(0, 64)));
    Read(document, path);
    if (document.count() < 0) {
        __builtin_trap();
    }

    // What strict JSON reads as an object or array this reader reads too.
    // (The JSON reader ends a text at a NUL byte; the program's texts end
    // before their first one.)
    if (text.find('\0') != std::string_view::npos || Depth(text) >= 200) {
        return 0;
    }
    const nlohmann::json strict = nlohmann::json::parse(text, nullptr, false);
    if (!strict.is_discarded() && (strict.is_object() || strict.is_array()) && !parsed) {
        __builtin_trap();
    }
    return 0;
}
