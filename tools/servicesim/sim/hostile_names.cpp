#include "sim/hostile_names.h"

#include <array>
#include <utility>

namespace qvpc::servicesim {
namespace {

constexpr std::size_t kPatterns = 9;

std::string Repeated(std::string_view text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

const std::string& Title(std::size_t n) {
    static const std::array<std::string, kPatterns> kTitles = {
        "$(touch qvpc-ran)",
        "`touch qvpc-ran`",
        "\"; touch qvpc-ran; echo \"",
        "'; touch qvpc-ran; echo '",
        "../../../qvpc-escape",
        "/tmp/qvpc-escape",
        "a|b&c;d<e>f*g?h[i]~j!k#l%m{n}o\\p",
        "line\r\nbreak\ttab\x01"
        "end",
        Repeated("长", 40000),
    };
    return kTitles[n % kPatterns];
}

// What goes before a file's name in its address: as written into the URL,
// and as the server reads it.
const std::array<std::pair<std::string, std::string>, kPatterns>& Prefixes() {
    static const std::array<std::pair<std::string, std::string>, kPatterns> kPrefixes = {{
        {"..%2F..%2F..%2Fqvpc-escape%2F", "../../../qvpc-escape/"},
        {"%24(touch%20qvpc-ran)", "$(touch qvpc-ran)"},
        {"..%5C..%5Cqvpc-escape%5C", "..\\..\\qvpc-escape\\"},
        {"%2Ftmp%2Fqvpc-escape%2F", "/tmp/qvpc-escape/"},
        {".", "."},
        {"%22%27%3B%60%7C%26", "\"';`|&"},
        {"sub/dir/", "sub/dir/"},
        {std::string(200, 'x'), std::string(200, 'x')},
        {"%E9%95%BF%E5%90%8D", "长名"},
    }};
    return kPrefixes;
}

// The address with the hostile name put before the file's name.
std::string HostileAddress(const std::string& url, std::size_t n) {
    for (std::string_view folder : {"/down/icon/", "/down/apk/"}) {
        if (const std::size_t at = url.find(folder); at != std::string::npos) {
            std::string hostile = url;
            hostile.insert(at + folder.size(), Prefixes()[n % kPatterns].first);
            return hostile;
        }
    }
    return url;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name[0] != '.' && name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

void MakeHostile(nlohmann::ordered_json& entry, std::size_t n) {
    auto rewrite = [&](const char* key, auto change) {
        if (entry.contains(key) && entry[key].is_string()) {
            entry[key] = change(entry[key].get<std::string>());
        }
    };
    rewrite("apptitle", [&](const std::string&) { return Title(n); });
    rewrite("appid", [](const std::string& id) { return id + "' OR '1'='1"; });
    rewrite("packname", [](const std::string& name) { return name + "\"'$(touch qvpc-ran)"; });
    rewrite("summary", [](const std::string&) {
        return std::string("</summary><downurl><![CDATA[file:///etc/passwd]]></downurl>");
    });
    for (const char* key : {"appico", "piclist", "downurl"}) {
        rewrite(key, [&](const std::string& url) { return HostileAddress(url, n); });
    }
}

std::optional<std::string> HostileFileTarget(std::string_view name) {
    for (const auto& [raw, decoded] : Prefixes()) {
        if (name.starts_with(decoded) && IsPlainName(name.substr(decoded.size()))) {
            return std::string(name.substr(decoded.size()));
        }
    }
    return std::nullopt;
}

}  // namespace qvpc::servicesim
