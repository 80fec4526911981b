#include "companion/lookup_reply.h"

#include <algorithm>

#include "base/utf8.h"
#include "net/json_document.h"

namespace qvpc {

void ReadLookupReply(JsonDocument& document, std::string_view reply) {
    constexpr std::string_view kMarkBeforeBrace = "\xEF\xBB\xBF{";
    std::string text;
    text.reserve(reply.size());
    for (std::size_t at = 0; at < reply.size();) {
        if (reply.substr(at, kMarkBeforeBrace.size()) == kMarkBeforeBrace) {
            text += '{';
            at += kMarkBeforeBrace.size();
        } else {
            text += reply[at++];
        }
    }
    document.parse(ValidUtf8(text));
}

std::string LookupKey(std::string_view packageName) {
    std::string key(packageName);
    std::replace(key.begin(), key.end(), '.', '_');
    return key;
}

}  // namespace qvpc
