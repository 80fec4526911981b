#include "boxsim/box/box_config.h"

namespace qvpc::boxsim {

namespace {

PackageConfig hostile(std::string name, std::string label) {
    PackageConfig p;
    p.packageName = std::move(name);
    p.label = std::move(label);
    p.versionName = "1.0 $(reboot)";
    return p;
}

std::string repeat(const std::string& piece, size_t bytes) {
    std::string out;
    while (out.size() + piece.size() <= bytes) {
        out += piece;
    }
    return out;
}

}  // namespace

std::vector<PackageConfig> HostilePackages() {
    return {
        hostile("com.hostile.semi;reboot", "Semi; reboot"),
        hostile("com.hostile.sub$(reboot)", "$(reboot)"),
        hostile("com.hostile.tick`reboot`", "`reboot`"),
        hostile("com.hostile.quote'\"\\", "it's \"quoted\" \\ back'slash"),
        hostile("com.hostile.ops&&reboot||reboot|reboot", "a && b || c | d > /sdcard/x < y"),
        hostile("com.hostile.line\nreboot", "line one\nline two\r\nreboot"),
        hostile("com.hostile.blank name *?[a]", "   "),
        hostile("com.hostile.format", "%s%n%x%d {0} \\u0000"),
        hostile("com.hostile.path", "../../../etc/passwd"),
        hostile("com.hostile.slash", "AC/DC: 播放器"),
        hostile("com.hostile.badutf8", "bad \xff\xfe\xc3\x28 utf8"),
        hostile("com.hostile.long" + repeat("x", 100u << 10), repeat("长", 100u << 10)),
    };
}

}  // namespace qvpc::boxsim
