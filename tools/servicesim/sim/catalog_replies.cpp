#include "sim/catalog_replies.h"

#include <algorithm>
#include <charconv>

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

std::string ListReply(const Catalog& catalog, const RequestTarget& target, const PublicUrls& urls,
                      JsonStyle style) {
    nlohmann::ordered_json reply;
    std::optional<Category> category = CategoryForListRequest(target);
    if (!category) {
        reply["allnum"] = "0";
        return WriteJson(reply, style);
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
    return WriteJson(reply, style);
}

std::string LookupReply(const Catalog& catalog, std::string_view packs, const PublicUrls& urls,
                        JsonStyle style) {
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
        reply[key] = std::move(entry);
    }
    if (found == 0) {
        return WriteJson(reply, style);
    }
    reply["allnum"] = std::to_string(found);
    return "\xEF\xBB\xBF" + WriteJson(reply, style);
}

std::string TaggedListReply(const Catalog& catalog, std::string_view keyword,
                            const PublicUrls& urls, bool withCdata) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<urlset>\n";
    for (const CatalogApp* app : catalog.search(keyword)) {
        std::string url = urls.apkUrl(*app);
        out += "<url>\n";
        out += Tag("appid", app->appid);
        out += Tag("apptitle", app->apptitle);
        out += Tag("packname", app->packname);
        out += Tag("appver", app->versionName);
        out += Tag("appsize", app->size);
        out += Tag("lastapp", app->lastapp);
        out += Tag("appico", urls.iconUrl(*app));
        out += Tag("downurl", withCdata ? "<![CDATA[" + url + "]]>" : url);
        out += Tag("summary", app->summary);
        out += Tag("piclist", urls.iconUrl(*app));
        out += "</url>\n";
    }
    out += "</urlset>\n";
    return out;
}

}  // namespace qvpc::servicesim
