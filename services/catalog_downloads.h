#pragma once

#include <string>

#include "services/catalog_item.h"

namespace qvpc {

class CatalogClient;
class Downloader;
class Screen;

// The two ways the catalog starts a download: the action button of a tile
// of page 9, and the market tile of the home page. Both show the download
// in the popup; the downloader hands the file to the installation.
class CatalogDownloads {
  public:
    // downloadDir: where tiles' APKs go, with its trailing "/"; dataDir: where
    // the market app goes.
    CatalogDownloads(CatalogClient& client, Downloader& downloader, Screen& screen,
                     std::string downloadDir, std::string dataDir);

    // Only a tile in "安装" starts a download, so that one tile never starts
    // two: it goes "下载中" and its APK to the download folder under its
    // name, titled "应用下载<" + position + ">".
    void downloadTile(int position);

    // Looks the market app up on the download server and downloads the
    // first one found; without one, the "网络故障" box.
    void installMarketApp();

    const CatalogItems& marketItems() const { return m_marketItems; }

  private:
    CatalogClient& m_client;
    Downloader& m_downloader;
    Screen& m_screen;
    const std::string m_downloadDir;
    const std::string m_dataDir;
    CatalogItems m_marketItems;
};

}  // namespace qvpc
