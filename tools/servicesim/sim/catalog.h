#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::servicesim {

// The eight catalog categories, in the order of the program's left list.
enum class Category { Recommended, Live, Vod, Game, Education, Life, Entertainment, Tools };

struct CategoryInfo {
    Category category;
    std::string_view key;          // the name used in apps.json
    std::string_view requestPath;  // the path after "/openapi/", as the program asks for it
};

const std::vector<CategoryInfo>& Categories();
std::optional<Category> CategoryFromKey(std::string_view key);

// One app of the catalog: the fields the list, lookup and search replies
// carry, all text as the server stores it.
struct CatalogApp {
    std::string appid;
    std::string packname;
    std::string apptitle;
    std::string versionName;
    std::int64_t versionCode = 0;
    std::string size;
    std::string lastapp;
    std::string summary;
    Category category = Category::Tools;
    int recommendRank = 0;  // 0: not in the recommended list; else its place there

    // File names under the data folder's icons/ and apks/.
    std::string iconFile() const { return packname + ".png"; }
    std::string apkFile() const { return packname + "_" + std::to_string(versionCode) + ".apk"; }
};

// The catalog data folder: apps.json with the apps, icons/ and apks/ with
// their files.
class Catalog {
  public:
    // Reads DIR/apps.json. On failure returns nothing and says why in error.
    static std::optional<Catalog> Load(const std::string& dir, std::string& error);

    const std::string& dir() const { return m_dir; }
    const std::vector<CatalogApp>& apps() const { return m_apps; }

    // The apps of a category in list order.
    std::vector<const CatalogApp*> list(Category category) const;
    const CatalogApp* findPackage(std::string_view packname) const;
    // Apps whose package name or title contains the keyword (ASCII letters
    // compared without case); an empty keyword finds nothing.
    std::vector<const CatalogApp*> search(std::string_view keyword) const;

  private:
    std::string m_dir;
    std::vector<CatalogApp> m_apps;
};

// Resolves a catalog list request ("list.php" with modid=8 and
// chanel=kestrunebox) to its category.
struct RequestTarget;
std::optional<Category> CategoryForListRequest(const RequestTarget& target);

}  // namespace qvpc::servicesim
