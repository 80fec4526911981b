#pragma once

#include <string>

namespace qvpc {

class AppUninstaller;
class Downloader;
class Log;
class Screen;

// A click on a row of page 9's installed-app list: on the action button of
// a "卸载" row it uninstalls the app, on that of an "更新" row it downloads
// the newer version, which the downloader then installs.
class InstalledRowActions {
  public:
    // tempDir: where upgrades are downloaded, with its trailing "/".
    InstalledRowActions(AppUninstaller& uninstaller, Downloader& downloader, Screen& screen,
                        Log& log, std::string tempDir);

    // position: the row (1-based); x, y: the point in the row's coordinates.
    void onInstalledRowClick(int position, int x, int y);

  private:
    void upgrade(int position, const std::string& name, const std::string& url);

    AppUninstaller& m_uninstaller;
    Downloader& m_downloader;
    Screen& m_screen;
    Log& m_log;
    const std::string m_tempDir;
};

}  // namespace qvpc
