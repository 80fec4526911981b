// qvpc.ini as anyone may have left it, any bytes: read and written again it
// stays the same, and the usage report's write of one key reads back and
// changes no other.
#include <functional>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "services/ini_file.h"

namespace {

using qvpc::fuzz::Require;

constexpr const char* kSection = "首次";
constexpr const char* kMissing = "\x01missing";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view gbk(reinterpret_cast<const char*>(data), size);
    qvpc::IniFile file = qvpc::IniFile::Parse(gbk);

    const std::string written = file.text();
    Require(qvpc::IniFile::Parse(written).text() == written);

    const std::string hot = file.value(kSection, "hot", kMissing);
    const std::string other = file.value("other", "add", kMissing);
    file.setValue(kSection, "add", "20170101");
    const qvpc::IniFile reread = qvpc::IniFile::Parse(file.text());
    for (const qvpc::IniFile& each : {std::cref(file), std::cref(reread)}) {
        Require(each.value(kSection, "add", kMissing) == "20170101");
        Require(each.value(kSection, "hot", kMissing) == hot);
        Require(each.value("other", "add", kMissing) == other);
    }
    return 0;
}
