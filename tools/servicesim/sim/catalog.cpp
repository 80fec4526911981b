#include "sim/catalog.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "sim/request_target.h"

namespace qvpc::servicesim {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return out;
}

}  // namespace

const std::vector<CategoryInfo>& Categories() {
    static const std::vector<CategoryInfo> kCategories = {
        {Category::Recommended, "recommended", "tjlist.php?chanel=kestrunebox"},
        {Category::Live, "live", "list.php?modid=8&chanel=kestrunebox"},
        {Category::Vod, "vod", "list.php?modid=9&chanel=kestrunebox"},
        {Category::Game, "game", "allapp.php?type=2&chanel=kestrunebox"},
        {Category::Education, "education", "list.php?modid=5&chanel=kestrunebox"},
        {Category::Life, "life", "list.php?modid=4&chanel=kestrunebox"},
        {Category::Entertainment, "entertainment", "list.php?modid=3&chanel=kestrunebox"},
        {Category::Tools, "tools", "list.php?modid=6&chanel=kestrunebox"},
    };
    return kCategories;
}

std::optional<Category> CategoryFromKey(std::string_view key) {
    for (const CategoryInfo& info : Categories()) {
        if (info.key == key) {
            return info.category;
        }
    }
    return std::nullopt;
}

std::optional<Category> CategoryForListRequest(const RequestTarget& target) {
    constexpr std::string_view kPrefix = "/openapi/";
    if (!target.path.starts_with(kPrefix)) {
        return std::nullopt;
    }
    std::string_view script = std::string_view(target.path).substr(kPrefix.size());
    for (const CategoryInfo& info : Categories()) {
        // Each category's request path names its script and the parameters
        // that pick the list; the program appends "&s=" and "&e=".
        RequestTarget expected = RequestTarget::Parse("/" + std::string(info.requestPath));
        if (expected.path.substr(1) != script) {
            continue;
        }
        bool matches = true;
        for (const auto& [name, value] : expected.query) {
            if (target.param(name) != value) {
                matches = false;
                break;
            }
        }
        if (matches) {
            return info.category;
        }
    }
    return std::nullopt;
}

std::optional<Catalog> Catalog::Load(const std::string& dir, std::string& error) {
    std::ifstream in(dir + "/apps.json", std::ios::binary);
    if (!in) {
        error = "cannot read " + dir + "/apps.json";
        return std::nullopt;
    }
    nlohmann::json doc = nlohmann::json::parse(in, nullptr, false);
    if (doc.is_discarded() || !doc.is_object() || !doc.contains("apps") ||
        !doc["apps"].is_array()) {
        error = dir + "/apps.json is not an object with an \"apps\" array";
        return std::nullopt;
    }
    Catalog catalog;
    catalog.m_dir = dir;
    for (const nlohmann::json& entry : doc["apps"]) {
        CatalogApp app;
        try {
            app.appid = entry.at("appid").get<std::string>();
            app.packname = entry.at("packname").get<std::string>();
            app.apptitle = entry.at("apptitle").get<std::string>();
            app.versionName = entry.at("versionname").get<std::string>();
            app.versionCode = entry.at("versioncode").get<std::int64_t>();
            app.size = entry.value("size", "");
            app.lastapp = entry.value("lastapp", "");
            app.summary = entry.value("summary", "");
            app.recommendRank = entry.value("recommended", 0);
            std::optional<Category> category =
                CategoryFromKey(entry.at("category").get<std::string>());
            if (!category || *category == Category::Recommended) {
                error = "app " + app.packname + ": unknown category";
                return std::nullopt;
            }
            app.category = *category;
        } catch (const nlohmann::json::exception& e) {
            error = "apps.json entry " + entry.dump() + ": " + e.what();
            return std::nullopt;
        }
        if (app.packname.empty() || app.packname.find('/') != std::string::npos ||
            app.packname.starts_with(".")) {
            error = "app with an unusable package name: " + app.packname;
            return std::nullopt;
        }
        catalog.m_apps.push_back(std::move(app));
    }
    return catalog;
}

std::vector<const CatalogApp*> Catalog::list(Category category) const {
    std::vector<const CatalogApp*> result;
    for (const CatalogApp& app : m_apps) {
        bool inList =
            category == Category::Recommended ? app.recommendRank > 0 : app.category == category;
        if (inList) {
            result.push_back(&app);
        }
    }
    if (category == Category::Recommended) {
        std::stable_sort(result.begin(), result.end(),
                         [](const CatalogApp* a, const CatalogApp* b) {
                             return a->recommendRank < b->recommendRank;
                         });
    }
    return result;
}

const CatalogApp* Catalog::findPackage(std::string_view packname) const {
    for (const CatalogApp& app : m_apps) {
        if (app.packname == packname) {
            return &app;
        }
    }
    return nullptr;
}

std::vector<const CatalogApp*> Catalog::search(std::string_view keyword) const {
    std::vector<const CatalogApp*> result;
    if (keyword.empty()) {
        return result;
    }
    std::string needle = Lower(keyword);
    for (const CatalogApp& app : m_apps) {
        if (Lower(app.packname).find(needle) != std::string::npos ||
            Lower(app.apptitle).find(needle) != std::string::npos) {
            result.push_back(&app);
        }
    }
    return result;
}

}  // namespace qvpc::servicesim
