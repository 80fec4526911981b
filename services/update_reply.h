#pragma once

#include <string>
#include <string_view>

namespace qvpc {

struct HttpReply;

// The items of the update server's reply that the program uses.
struct UpdateOffer {
    std::string version;  // item 1, dotted
    std::string url;      // item 2, may be empty
    std::string force;    // item 3, "真" for a forced update
    std::string notes;    // item 4, free text with CR LF line breaks
};

struct ParsedUpdateReply {
    enum class Kind {
        NoPart,       // an empty reply: nothing before the first "<br>" at all
        TooFewItems,  // fewer than five "<rb>" items
        Offer,
    };
    Kind kind = Kind::NoPart;
    UpdateOffer offer;
};

// The part before the first "<br>", split at every "<rb>"; at least five items
// make an offer. Version, URL and flag lose surrounding blanks.
ParsedUpdateReply ParseUpdateReply(std::string_view text);

// The reply as UTF-8 text. The server writes GBK, but a reply saved as UTF-8
// must read the same: after a byte-order mark, or when the bytes are valid
// UTF-8, it is UTF-8; otherwise GBK, or another charset the header declares.
// Bytes that are no text in their charset come out as U+FFFD. Empty for a
// failed request, an error status or a reply too large to be one.
std::string UpdateReplyText(const HttpReply& reply);

// Whether the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace qvpc
