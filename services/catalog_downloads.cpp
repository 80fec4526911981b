#include "services/catalog_downloads.h"

#include "base/file_names.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "services/catalog_client.h"
#include "services/downloader.h"

namespace qvpc {
namespace {

constexpr const char* kMarketTitle = "Kestrune市场";
constexpr const char* kDownloading = "正在下载";

}  // namespace

CatalogDownloads::CatalogDownloads(CatalogClient& client, Downloader& downloader, Screen& screen,
                                   std::string downloadDir, std::string dataDir)
    : m_client(client),
      m_downloader(downloader),
      m_screen(screen),
      m_downloadDir(std::move(downloadDir)),
      m_dataDir(std::move(dataDir)) {}

void CatalogDownloads::downloadTile(int position) {
    const std::optional<CatalogTile> tile = m_screen.catalogTile(position);
    if (!tile || tile->state != "安装") {
        return;
    }
    m_screen.setCatalogTileState(position, "下载中");
    const std::string target = m_downloadDir + ApkFileName(tile->name);
    // The popup first: a download that cannot even start says so in it.
    m_screen.ShowDownloading(target, kDownloading);
    m_downloader.start(tile->downloadUrl, target, "应用下载<" + std::to_string(position) + ">");
}

void CatalogDownloads::installMarketApp() {
    m_client.loadTaggedList(m_client.marketSearchUrl(), m_marketItems);
    if (m_marketItems.empty()) {
        m_screen.MsgBox(Notice("网络故障", "应用数据获取失败,请检查网络."));
        return;
    }
    const std::string target = m_dataDir + "/" + kMarketTitle + ".apk";
    m_screen.ShowDownloading(target, kDownloading);
    m_downloader.start(m_marketItems.front().downloadUrl, target, kMarketTitle);
}

}  // namespace qvpc
