#include "services/catalog_page.h"

#include <algorithm>

#include "base/catalog_views.h"
#include "services/catalog_client.h"

namespace qvpc {
namespace {

constexpr int kMaxTotal = 1'000'000;

}  // namespace

int CatalogPageCount(int total) {
    if (total <= 0) {
        return 0;
    }
    return total / kTilesPerPage + (total % kTilesPerPage != 0 ? 1 : 0);
}

int TilesOnPage(int total, int page) {
    if (page < 1) {
        return 0;
    }
    return std::clamp(total - kTilesPerPage * (page - 1), 0, kTilesPerPage);
}

int TotalValue(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t");
    int value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min(kMaxTotal, value * 10 + (text[at] - '0'));
    }
    return value;
}

CatalogTile TileOf(const CatalogItem& item, std::string iconPath) {
    CatalogTile tile;
    tile.iconPath = std::move(iconPath);
    tile.name = item.name;
    tile.version = item.version;
    tile.state = "安装";
    tile.size = item.size;
    tile.total = TotalValue(item.total);
    tile.downloadUrl = item.downloadUrl;
    return tile;
}

CatalogPage::CatalogPage(CatalogClient& client, CatalogGridView& grid, CatalogPagerView& pager,
                         TileStep addTile)
    : m_client(client), m_grid(grid), m_pager(pager), m_addTile(std::move(addTile)) {}

void CatalogPage::showCatalogPage(std::optional<std::string> path, std::optional<int> page) {
    const bool samePath = !path || *path == m_path;
    if (path) {
        m_path = std::move(*path);
    }
    m_page = std::clamp(page.value_or(1), 1, CatalogPageCount(kMaxTotal));
    auto load = [&](std::string& replyTotal) {
        const int start = kTilesPerPage * (m_page - 1);
        return m_client.loadJsonList(m_client.listUrl(m_path, start, start + kTilesPerPage),
                                     m_items, &replyTotal);
    };
    std::string replyTotal;
    int loaded = load(replyTotal);
    if (loaded <= 0 && !replyTotal.empty()) {
        // Only the total came: the page lies past the end of the list, whose
        // last page is shown instead; or the list is empty.
        const int pages = CatalogPageCount(TotalValue(replyTotal));
        if (pages >= 1 && m_page > pages) {
            m_page = pages;
            loaded = load(replyTotal);
        } else if (pages == 0) {
            m_pageCount = 0;
            m_grid.setCatalogNotice({});
            m_grid.clearCatalogTiles();
            m_pager.setCatalogPages(0, 0);
            return;
        }
    }
    if (loaded <= 0) {
        showUnreachable(samePath);
        return;
    }
    showItems(TotalValue(m_items.front().total));
}

void CatalogPage::showItems(int total) {
    const int received = static_cast<int>(m_items.size());
    // The entries that came prove the list this long, whatever its total says.
    total = std::max(total, kTilesPerPage * (m_page - 1) + std::min(received, kTilesPerPage));
    m_pageCount = CatalogPageCount(total);
    m_page = std::min(m_page, m_pageCount);
    const int rows = std::min(TilesOnPage(total, m_page), received);
    m_grid.setCatalogNotice({});
    m_grid.clearCatalogTiles();
    for (int i = 1; i <= rows; ++i) {
        m_addTile(i, m_items[static_cast<std::size_t>(i - 1)]);
    }
    m_pager.setCatalogPages(m_pageCount, m_page);
}

void CatalogPage::showUnreachable(bool samePath) {
    // Tiles of another page or category would pass for this one's.
    m_grid.clearCatalogTiles();
    m_grid.setCatalogNotice(kUnreachable);
    if (!samePath) {
        m_pageCount = 0;
    }
    m_pager.setCatalogPages(m_pageCount, m_pageCount > 0 ? std::min(m_page, m_pageCount) : 0);
}

}  // namespace qvpc
