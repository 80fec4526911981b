#include "sim/catalog_replies.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "sim/hostile_names.h"
#include "sim/request_target.h"

namespace qvpc::servicesim {
namespace {

// PHP's intval: leading digits, anything else 0.
long long LeadingNumber(const std::optional<std::string>& text, long long fallback) {
    if (!text || text->empty()) {
        return fallback;
    }
    long long value = 0;
    auto [ptr, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc() || ptr == text->data()) {
        return 0;
    }
    return value;
}

nlohmann::ordered_json ListEntry(const CatalogApp& app, const PublicUrls& urls) {
    nlohmann::ordered_json entry;
    entry["appid"] = app.appid;
    entry["apptitle"] = app.apptitle;
    entry["packname"] = app.packname;
    entry["appver"] = app.versionName;
    entry["appsize"] = app.size;
    entry["appico"] = urls.iconUrl(app);
    entry["downurl"] = urls.apkUrl(app);
    entry["lastapp"] = app.lastapp;
    entry["summary"] = app.summary;
    return entry;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() < 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The members named in shape.asNumbers, written as numbers where they hold
// digits, at the top and one level down.
void DigitsAsNumbers(nlohmann::ordered_json& reply, const ReplyShape& shape) {
    auto convert = [&](nlohmann::ordered_json& object) {
        for (const std::string& key : shape.asNumbers) {
            if (object.contains(key) && object[key].is_string() &&
                AllDigits(object[key].get<std::string>())) {
                object[key] = std::stoll(object[key].get<std::string>());
            }
        }
    };
    convert(reply);
    for (auto& [name, member] : reply.items()) {
        if (member.is_object()) {
            convert(member);
        }
    }
}

void LeaveOutOfFirstEntry(nlohmann::ordered_json& reply, const ReplyShape& shape) {
    for (auto& [name, member] : reply.items()) {
        if (member.is_object()) {
            for (const std::string& key : shape.missing) {
                member.erase(key);
            }
            return;
        }
    }
}

// Every UTF-16 unit of the text as "\uXXXX" or "%uXXXX".
std::string EscapeEveryCharacter(const std::string& utf8, const std::string& style) {
    const std::string prefix = style == "percent" ? "%u" : "\\u";
    std::string out;
    const std::string wide = nlohmann::json(utf8).dump(-1, ' ', true);  // "\uXXXX" for non-ASCII
    for (std::size_t i = 1; i + 1 < wide.size(); ++i) {
        unsigned unit = 0;
        if (wide[i] == '\\' && wide[i + 1] == 'u') {
            unit = static_cast<unsigned>(std::stoul(wide.substr(i + 2, 4), nullptr, 16));
            i += 5;
        } else if (wide[i] == '\\') {
            // A short escape of JSON (\" \\ \n ...): its character.
            const char escaped = wide[++i];
            unit = escaped == 'n'   ? '\n'
                   : escaped == 't' ? '\t'
                   : escaped == 'r' ? '\r'
                   : escaped == 'b' ? '\b'
                   : escaped == 'f' ? '\f'
                                    : static_cast<unsigned char>(escaped);
        } else {
            unit = static_cast<unsigned char>(wide[i]);
        }
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%04X", unit);
        out += prefix + buffer;
    }
    return out;
}

// Writes the reply in its shape. Escaped values go in as placeholders that
// no writer changes, replaced once the text is written.
std::string WriteShaped(nlohmann::ordered_json reply, JsonStyle style, const ReplyShape& shape,
                        const std::vector<std::string>& escapedKeys) {
    if (shape.hostile) {
        std::size_t n = 0;
        for (auto& [name, member] : reply.items()) {
            if (member.is_object()) {
                MakeHostile(member, n++);
            }
        }
    }
    if (shape.allnum && reply.contains("allnum")) {
        reply["allnum"] = *shape.allnum;
    }
    DigitsAsNumbers(reply, shape);
    LeaveOutOfFirstEntry(reply, shape);
    std::vector<std::pair<std::string, std::string>> placeholders;
    if (shape.escapes) {
        for (auto& [name, member] : reply.items()) {
            if (!member.is_object()) {
                continue;
            }
            for (const std::string& key : escapedKeys) {
                if (member.contains(key) && member[key].is_string()) {
                    const std::string token =
                        "@@escaped" + std::to_string(placeholders.size()) + "@@";
                    placeholders.emplace_back(
                        token,
                        EscapeEveryCharacter(member[key].get<std::string>(), *shape.escapes));
                    member[key] = token;
                }
            }
        }
    }
    std::string text = WriteJson(reply, style, shape.lineEnd);
    for (const auto& [token, escaped] : placeholders) {
        if (const std::size_t at = text.find(token); at != std::string::npos) {
            text.replace(at, token.size(), escaped);
        }
    }
    return text;
}

std::string LeadingCr(const ReplyShape& shape) {
    return shape.leadingCr ? "\r" : "";
}

std::string Tag(std::string_view name, std::string_view text) {
    std::string out = "<";
    out += name;
    out += ">";
    out += text;
    out += "</";
    out += name;
    out += ">\n";
    return out;
}

}  // namespace

std::string PublicUrls::apkUrl(const CatalogApp& app) const {
    return downloadBase + "/down/apk/" + app.apkFile();
}

std::string PublicUrls::iconUrl(const CatalogApp& app) const {
    return downloadBase + "/down/icon/" + app.iconFile();
}

std::optional<std::string> ListReply(const Catalog& catalog, const RequestTarget& target,
                                     const PublicUrls& urls, JsonStyle style,
                                     const ReplyShape& shape) {
    // The program always asks for its page; a request without one is not its.
    if (!target.param("s") || !target.param("e")) {
        return std::nullopt;
    }
    nlohmann::ordered_json reply;
    std::optional<Category> category = CategoryForListRequest(target);
    if (!category) {
        reply["allnum"] = "0";
        return LeadingCr(shape) + WriteShaped(reply, style, shape, {});
    }
    std::vector<const CatalogApp*> apps = catalog.list(*category);
    const long long total = static_cast<long long>(apps.size());
    long long start = std::clamp(LeadingNumber(target.param("s"), 0), 0LL, total);
    long long end = LeadingNumber(target.param("e"), start + 9);
    end = std::clamp(end, start, std::min(total, start + kMaxListPage));
    reply["allnum"] = std::to_string(total);
    for (long long i = start; i < end; ++i) {
        reply[std::to_string(i - start + 1)] = ListEntry(*apps[static_cast<size_t>(i)], urls);
    }
    return LeadingCr(shape) + WriteShaped(reply, style, shape, {});
}

std::string LookupReply(const Catalog& catalog, std::string_view packs, const PublicUrls& urls,
                        JsonStyle style, const ReplyShape& shape) {
    constexpr size_t kMaxNames = 1000;
    nlohmann::ordered_json reply;
    reply["allnum"] = "0";
    int found = 0;
    size_t names = 0;
    size_t pos = 0;
    while (pos <= packs.size() && names < kMaxNames) {
        size_t comma = std::min(packs.find(',', pos), packs.size());
        std::string_view name = packs.substr(pos, comma - pos);
        pos = comma + 1;
        ++names;
        const CatalogApp* app = name.empty() ? nullptr : catalog.findPackage(name);
        if (!app) {
            continue;
        }
        std::string key = app->packname;
        std::replace(key.begin(), key.end(), '.', '_');
        if (!reply.contains(key)) {
            ++found;
        }
        nlohmann::ordered_json entry;
        entry["versioncode"] = std::to_string(app->versionCode);
        entry["downurl"] = urls.apkUrl(*app);
        entry["versionname"] = app->versionName;
        entry["size"] = app->size;
        entry["apptitle"] = app->apptitle;
        entry["appico"] = urls.iconUrl(*app);
        reply[key] = std::move(entry);
    }
    if (found == 0) {
        return LeadingCr(shape) + WriteShaped(reply, style, shape, {});
    }
    reply["allnum"] = std::to_string(found);
    return LeadingCr(shape) + "\xEF\xBB\xBF" +
           WriteShaped(reply, style, shape, {"versionname", "size"});
}

std::string TaggedListReply(const Catalog& catalog, std::string_view keyword,
                            const PublicUrls& urls, bool withCdata, bool hostile) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<urlset>\n";
    std::size_t n = 0;
    for (const CatalogApp* app : catalog.search(keyword)) {
        nlohmann::ordered_json entry = {
            {"appid", app->appid},          {"apptitle", app->apptitle},
            {"packname", app->packname},    {"appver", app->versionName},
            {"appsize", app->size},         {"lastapp", app->lastapp},
            {"appico", urls.iconUrl(*app)}, {"downurl", urls.apkUrl(*app)},
            {"summary", app->summary},      {"piclist", urls.iconUrl(*app)},
        };
        if (hostile) {
            MakeHostile(entry, n++);
        }
        out += "<url>\n";
        for (const auto& [name, value] : entry.items()) {
            const std::string text = value.get<std::string>();
            out += Tag(name, name == "downurl" && withCdata ? "<![CDATA[" + text + "]]>" : text);
        }
        out += "</url>\n";
    }
    out += "</urlset>\n";
    return out;
}

}  // namespace qvpc::servicesim
