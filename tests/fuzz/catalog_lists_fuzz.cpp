// The catalog's reply readers on any text: the JSON list, the tagged list
// and the package lookup's unescape. None may fail, and a list either fills
// the items it says or leaves them as they were.
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "services/catalog_lists.h"
#include "services/lookup_unescape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const qvpc::CatalogItems before(1);
    for (auto parse : {+[](std::string_view text, qvpc::CatalogItems&items) {
                           return qvpc::ParseJsonList(text, items);
                       },
                       +[](std::string_view text, qvpc::CatalogItems&items) {
                           return qvpc::ParseTaggedList(text, items);
                       }}) {
        qvpc::CatalogItems items = before;
        const int count = parse(reply, items);
        const bool filled = count > 0 && items.size() == static_cast<std::size_t>(count);
        if (!filled && items != before) {
            __builtin_trap();
        }
    }
    const std::string decoded = qvpc::UnescapeLookupReply(reply);
    if (decoded.size() > reply.size() * 2 + 4) {
        __builtin_trap();
    }
    return 0;
}
