#pragma once

#include <string>
#include <string_view>

#include "services/catalog_item.h"

namespace qvpc {

// The replies of the catalog servers read into items. Both replace items
// only when they return a positive count, and leave them as they were
// otherwise.

// The result when the server answers "-1".
inline constexpr int kListRefused = -9999;

// A list of the catalog API: one object with "allnum" and the page's entries
// as its members "1" … "n" (an array's elements 1 … n do as well), every
// field read as text, so that a number, null or a missing member reads as
// empty text. The number of items, kListRefused, or -2 when the reply holds
// fewer than two members (nothing could be read, or only "allnum").
// A total sent as a JSON number is taken as its decimal text. replyTotal,
// when given, receives the reply's total even when it holds no entry (a page
// past the end), empty when it has none.
int ParseJsonList(std::string_view reply, CatalogItems& items, std::string* replyTotal = nullptr);

// A tagged list of the market search: one item per "</url>", its fields
// between their tags ("<appid>…</appid>"), the download URL inside its
// CDATA section; every item's total is the number of items. The number of
// items, kListRefused, or -1 when the reply holds no "</url>".
int ParseTaggedList(std::string_view reply, CatalogItems& items);

// Whether a reply is the refusal "-1" (trailing spaces aside).
bool IsRefusal(std::string_view reply);

// The text without its trailing spaces, as the servers' replies are compared.
std::string_view WithoutTrailingSpaces(std::string_view text);

}  // namespace qvpc
