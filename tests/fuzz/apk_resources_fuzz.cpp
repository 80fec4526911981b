// The simulated box's reader of resources.arsc on any bytes: the table and
// its look-ups read or refuse with FormatError, nothing else. The first
// four bytes after the table's own size name one more resource to look up.
#include <cstring>
#include <optional>
#include <string_view>

#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/resource_table.h"
#include "fuzz_target.h"

namespace {

using namespace qvpc::boxsim;

void LookUp(const ResourceTable& table, std::uint32_t id) {
    try {
        table.resolveString(id);
        table.resolveFiles(id);
    } catch (const FormatError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<ResourceTable> table;
    try {
        table.emplace(bytes);
    } catch (const FormatError&) {
        return 0;
    }
    // The builder's ids: package 0x7f, types 1 and 2, the first entries.
    for (std::uint32_t type = 1; type <= 2; ++type) {
        for (std::uint32_t entry = 0; entry < 3; ++entry) {
            LookUp(*table, 0x7f000000u | type << 16 | entry);
        }
    }
    if (size >= 12) {
        std::uint32_t id = 0;
        std::memcpy(&id, data + 8, sizeof id);
        LookUp(*table, id);
    }
    return 0;
}
