#pragma once

#include <optional>
#include <string>

namespace qvpc {

// A tile of page 9's catalog grid.
struct CatalogTile {
    std::string iconPath;  // the icon file; missing or empty draws a placeholder
    std::string name;
    std::string version;
    std::string state;  // "安装", "下载中", "安装中" or "已安装"
    std::string size;
    int total = 0;  // the list's number of entries, kept, not shown
    std::string downloadUrl;
    std::string extra;

    bool operator==(const CatalogTile&) const = default;
};

// Page 9's grid of catalog tiles, three rows of three; positions 1 to 9.
class CatalogGridView {
  public:
    virtual ~CatalogGridView() = default;

    virtual void clearCatalogTiles() = 0;
    virtual void addCatalogTile(int position, const CatalogTile& tile) = 0;
    virtual std::optional<CatalogTile> catalogTile(int position) = 0;
    // A sentence shown across the grid in place of its tiles, such as that the
    // catalog cannot be reached; empty text takes it away.
    virtual void setCatalogNotice(const std::string& text) = 0;
};

// Page 9's pager under the grid: one run of page buttons 1 … pageCount, of
// which it shows at most five around the selected one.
class CatalogPagerView {
  public:
    virtual ~CatalogPagerView() = default;

    virtual void setCatalogPages(int pageCount, int selectedPage) = 0;
};

}  // namespace qvpc
