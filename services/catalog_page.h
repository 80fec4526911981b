#pragma once

#include <functional>
#include <optional>
#include <string>

#include "services/catalog_item.h"

namespace qvpc {

class CatalogClient;
class CatalogGridView;
class CatalogPagerView;
struct CatalogTile;

// Tiles per catalog page: three rows of three.
inline constexpr int kTilesPerPage = 9;

// The pages a list of total entries fills.
int CatalogPageCount(int total);
// The tiles page (1-based) of such a list shows: up to nine, none past the end.
int TilesOnPage(int total, int page);
// A total as the servers write it, read as its leading digits (0 when there
// are none), at most a million.
int TotalValue(const std::string& text);

// A new tile of an item: its texts, "安装", and the icon file given.
CatalogTile TileOf(const CatalogItem& item, std::string iconPath);

// Page 9's catalog: a category's request path and a page number become at
// most nine tiles and the pager's page run. Runs on the user-interface thread.
class CatalogPage {
  public:
    // Adds the tile of an item at a grid position (1-based): the cache's step.
    using TileStep = std::function<void(int position, const CatalogItem& item)>;

    CatalogPage(CatalogClient& client, CatalogGridView& grid, CatalogPagerView& pager,
                TileStep addTile);

    // Shows a page of the list at the request path (after "/openapi/"):
    // without a path the current one, without a page the first. A page past
    // the end shows the last one. A list that cannot be fetched shows the
    // grid's notice instead of tiles and keeps the item list as it was.
    void showCatalogPage(std::optional<std::string> path = std::nullopt,
                         std::optional<int> page = std::nullopt);

    const std::string& currentPath() const { return m_path; }
    int currentPage() const { return m_page; }
    int pageCount() const { return m_pageCount; }
    const CatalogItems& items() const { return m_items; }

    // The notice of a list that could not be fetched.
    static constexpr const char* kUnreachable = "应用数据获取失败,请检查网络.";

  private:
    void showItems(int total);
    void showUnreachable(bool samePath);

    CatalogClient& m_client;
    CatalogGridView& m_grid;
    CatalogPagerView& m_pager;
    TileStep m_addTile;

    std::string m_path;
    int m_page = 0;
    int m_pageCount = 0;
    CatalogItems m_items;
};

}  // namespace qvpc
