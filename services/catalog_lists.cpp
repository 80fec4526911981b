#include "services/catalog_lists.h"

#include "net/json_document.h"

namespace qvpc {
namespace {

// The text between a field's tags, searched from the start of the piece;
// empty when a tag is missing.
std::string_view Between(std::string_view piece, std::string_view open, std::string_view close) {
    const std::size_t start = piece.find(open);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t from = start + open.size();
    const std::size_t end = piece.find(close, from);
    if (end == std::string_view::npos) {
        return {};
    }
    return piece.substr(from, end - from);
}

std::string TaggedField(std::string_view piece, std::string_view tag) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    return std::string(Between(piece, open, close));
}

// The list's total as text. A server that writes it as a number means the
// same number; read as text it would count as 0 and hide every page.
std::string TotalOf(const JsonDocument& document) {
    constexpr std::string_view kPath = "arr['allnum']";
    if (const JsonValue* value = document.find(kPath);
        value && value->kind() == JsonValue::Kind::Number && value->number() >= 0 &&
        value->number() < 1e9) {
        return std::to_string(static_cast<long long>(value->number()));
    }
    return document.getText(kPath);
}

}  // namespace

std::string_view WithoutTrailingSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool IsRefusal(std::string_view reply) {
    return WithoutTrailingSpaces(reply) == "-1";
}

int ParseJsonList(std::string_view reply, CatalogItems& items, std::string* replyTotal) {
    if (IsRefusal(reply)) {
        return kListRefused;
    }
    // The reply is evaluated as the value of a member, as the servers expect.
    std::string text;
    text.reserve(reply.size() + 6);
    text.append("{arr:").append(reply).append("}");
    JsonDocument document;
    document.parse(text);
    const std::string total = TotalOf(document);
    if (replyTotal) {
        *replyTotal = total;
    }
    const int members = document.count("arr");
    if (members <= 1) {
        return -2;
    }
    CatalogItems read(static_cast<std::size_t>(members - 1));
    std::string path;
    for (int i = 1; i < members; ++i) {
        CatalogItem& item = read[static_cast<std::size_t>(i - 1)];
        const std::string prefix = "arr[" + std::to_string(i) + "].";
        auto field = [&](const char* key) {
            path.assign(prefix).append(key);
            return document.getText(path);
        };
        item.downloadUrl = field("downurl");
        item.total = total;
        item.id = field("appid");
        item.updateTime = field("lastapp");
        item.name = field("apptitle");
        item.iconUrl = field("appico");
        item.version = field("appver");
        item.size = field("appsize");
        item.description = field("summary");
        item.package = field("packname");
    }
    items = std::move(read);
    return members - 1;
}

int ParseTaggedList(std::string_view reply, CatalogItems& items) {
    if (IsRefusal(reply)) {
        return kListRefused;
    }
    constexpr std::string_view kItemEnd = "</url>";
    if (reply.find(kItemEnd) == std::string_view::npos) {
        return -1;
    }
    // Every piece before an "</url>" is an item; what follows the last one
    // is not.
    std::vector<std::string_view> pieces;
    for (std::size_t from = 0;;) {
        const std::size_t end = reply.find(kItemEnd, from);
        if (end == std::string_view::npos) {
            break;
        }
        pieces.push_back(reply.substr(from, end - from));
        from = end + kItemEnd.size();
    }
    const std::string total = std::to_string(pieces.size());
    CatalogItems read;
    read.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        CatalogItem item;
        item.downloadUrl = std::string(Between(TaggedField(piece, "downurl"), "<![CDATA[", "]]>"));
        item.total = total;
        item.id = TaggedField(piece, "appid");
        item.updateTime = TaggedField(piece, "lastapp");
        item.name = TaggedField(piece, "apptitle");
        item.iconUrl = TaggedField(piece, "appico");
        item.version = TaggedField(piece, "appver");
        item.size = TaggedField(piece, "appsize");
        item.description = TaggedField(piece, "summary");
        item.package = TaggedField(piece, "packname");
        item.thumbnails = TaggedField(piece, "piclist");
        read.push_back(std::move(item));
    }
    items = std::move(read);
    return static_cast<int>(pieces.size());
}

}  // namespace qvpc
