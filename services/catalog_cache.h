#pragma once

#include <string>

#include "services/catalog_item.h"

namespace qvpc {

class CatalogClient;
class CatalogGridView;
class Database;

// The tile step every catalog entry on a page goes through: the entry is
// recorded in the local table 应用数据缓存 and its icon kept as a file in the
// icon folder, so that an entry shown again unchanged costs no download and
// no write; then its tile is added to the grid. Rows are never read back
// except to be counted, and never removed. User-interface thread only.
class CatalogCache {
  public:
    // iconDir: the icon folder (TempDir), with its trailing "/".
    CatalogCache(Database& database, CatalogClient& client, CatalogGridView& grid,
                 std::string iconDir);

    void addTile(int position, const CatalogItem& item);

    // The icon file of an item: the icon folder and the last segment of the
    // icon URL made safe, when that segment holds a "."; empty otherwise.
    std::string iconPath(const CatalogItem& item) const;

    static constexpr const char* kTable = "应用数据缓存";

  private:
    // Records a new or changed entry, once its icon has arrived.
    void record(const CatalogItem& item, const std::string& icon);
    // Fetches the icon; empty when nothing that looks like a picture came.
    std::string fetchIcon(const CatalogItem& item);

    Database& m_database;
    CatalogClient& m_client;
    CatalogGridView& m_grid;
    const std::string m_iconDir;
};

}  // namespace qvpc
