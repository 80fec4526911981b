#include "services/catalog_cache.h"

#include <filesystem>
#include <span>

#include "base/atomic_file.h"
#include "base/catalog_views.h"
#include "base/file_names.h"
#include "base/picture_bytes.h"
#include "devices/database.h"
#include "services/catalog_client.h"
#include "services/catalog_page.h"

namespace qvpc {
namespace {

constexpr int kIconTimeoutSeconds = 2;
// An icon is a small picture; anything larger is no icon of the catalog.
constexpr std::size_t kIconLimit = 2 * 1024 * 1024;

bool WriteIcon(const std::string& path, const std::string& icon) {
    return WriteFileReplacing(
        path, std::span(reinterpret_cast<const unsigned char*>(icon.data()), icon.size()));
}

}  // namespace

CatalogCache::CatalogCache(Database& database, CatalogClient& client, CatalogGridView& grid,
                           std::string iconDir)
    : m_database(database), m_client(client), m_grid(grid), m_iconDir(std::move(iconDir)) {}

std::string CatalogCache::iconPath(const CatalogItem& item) const {
    const std::string& url = item.iconUrl;
    const std::size_t slash = url.rfind('/');
    const std::string segment = url.substr(slash == std::string::npos ? 0 : slash + 1);
    if (segment.find('.') == std::string::npos) {
        return {};
    }
    const std::string name = SafeFileName(segment);
    return name.empty() ? std::string() : m_iconDir + name;
}

std::string CatalogCache::fetchIcon(const CatalogItem& item) {
    if (!(item.iconUrl.starts_with("http://") || item.iconUrl.starts_with("https://"))) {
        return {};
    }
    std::string icon = m_client.fetchBytes(item.iconUrl, kIconTimeoutSeconds);
    if (icon.size() > kIconLimit || !LooksLikePicture(icon)) {
        return {};
    }
    return icon;
}

void CatalogCache::record(const CatalogItem& item, const std::string& icon) {
    const std::string path = iconPath(item);
    if (!path.empty()) {
        WriteIcon(path, icon);
    }
    const SqlValues fields = {item.downloadUrl, item.updateTime, item.name,
                              item.iconUrl,     item.version,    item.size,
                              item.description, item.package,    item.thumbnails};
    const std::string table = kTable;
    if (m_database.CountRows(table, "where 应用编号=?", {item.id}) > 0) {
        SqlValues values = fields;
        values.push_back(item.id);
        m_database.Execute("update " + table +
                               " set 应用地址=?, 更新时间=?, 应用名称=?, 应用图标=?, 应用版本=?, "
                               "应用大小=?, 应用简介=?, 应用包名=?, 缩略图集=? where 应用编号=?",
                           values);
        return;
    }
    SqlValues values = {item.id};
    values.insert(values.end(), fields.begin(), fields.end());
    m_database.Execute("insert into " + table +
                           " (应用编号,应用地址,更新时间,应用名称,应用图标,应用版本,应用大小,"
                           "应用简介,应用包名,缩略图集) values (?,?,?,?,?,?,?,?,?,?)",
                       values);
}

void CatalogCache::addTile(int position, const CatalogItem& item) {
    const std::string path = iconPath(item);
    const bool known = m_database.CountRows(kTable, "where 应用编号=? and 更新时间=?",
                                            {item.id, item.updateTime}) > 0;
    if (!known) {
        // A new entry or a changed one. Without its icon it is not recorded,
        // so the next showing tries again.
        if (const std::string icon = fetchIcon(item); !icon.empty()) {
            record(item, icon);
        }
    }
    std::error_code ec;
    if (!path.empty() && !std::filesystem::exists(path, ec)) {
        // One more try; only a picture is written, since an empty file would
        // stand for the icon and never be replaced.
        if (const std::string icon = fetchIcon(item); !icon.empty()) {
            WriteIcon(path, icon);
        }
    }
    m_grid.addCatalogTile(position, TileOf(item, path));
}

}  // namespace qvpc
