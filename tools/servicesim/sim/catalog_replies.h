#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/catalog.h"
#include "sim/json_text.h"
#include "sim/reply_shape.h"

namespace qvpc::servicesim {

struct RequestTarget;

// Where the download server is reached, for the URLs the replies carry.
struct PublicUrls {
    std::string downloadBase;  // "http://127.0.0.1:8782"

    std::string apkUrl(const CatalogApp& app) const;
    std::string iconUrl(const CatalogApp& app) const;
};

// The most items one list reply carries, whatever "&s=" and "&e=" ask for.
inline constexpr int kMaxListPage = 200;

// "/openapi/..." list reply: one object with "allnum" (the list's total as a
// string of digits) and the members "1" … "n" for the entries s+1 … e, every
// value a string. A request that names no category answers {"allnum":"0"};
// one without "&s=" or "&e=" gets nothing (the listener answers 404).
std::optional<std::string> ListReply(const Catalog& catalog, const RequestTarget& target,
                                     const PublicUrls& urls, JsonStyle style,
                                     const ReplyShape& shape = {});

// "/apinew/soubaonew.php?packs=a,b" reply: a UTF-8 byte-order mark and one
// object with "allnum" and, per known package, the member named after the
// package with "." replaced by "_" holding "versioncode", "downurl",
// "versionname", "size", "apptitle", "appico" (strings; non-ASCII as
// "\uXXXX").
// {"allnum":"0"} when no package is known.
std::string LookupReply(const Catalog& catalog, std::string_view packs, const PublicUrls& urls,
                        JsonStyle style, const ReplyShape& shape = {});

// "/api/soupackzs.php?kw=" reply: the tagged list, one <url> element per app
// found, the download URL in a CDATA section. withCdata false leaves the
// CDATA wrapper out (a malformed reply); hostile gives the entries hostile
// names (MakeHostile).
std::string TaggedListReply(const Catalog& catalog, std::string_view keyword,
                            const PublicUrls& urls, bool withCdata = true, bool hostile = false);

}  // namespace qvpc::servicesim
