#pragma once

#include <functional>
#include <string>

#include "apps/install_result.h"

namespace qvpc {

class Log;
class ProgressEngine;
class Screen;
class SharedState;
class TaskShell;

// Installs an APK that lies on the PC onto the connected box: the one entry
// point of every installation, and the handlers of the local install page.
class LocalInstaller {
  public:
    LocalInstaller(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                   ProgressEngine& engine, std::function<void()> startLanScan,
                   std::string browseDir);

    // Checks the file, the running task and the connection, in that order,
    // then starts the task "进度_安装应用" and sends the install command.
    // itemKey becomes the task's extra text: it names the tile or row the APK
    // is for ("应用下载<n>", "升级应用<n>"), empty for the local install page.
    void InstallApk(const std::string& path, const std::string& itemKey);

    // The local install page: a click on the drop area browses for a file.
    void onDropAreaClick();
    // Files dropped on it, one path per line, lines separated by CR LF.
    void onFilesDropped(const std::string& text);

  private:
    SharedState& m_state;
    TaskShell& m_shell;
    Screen& m_screen;
    Log& m_log;
    ProgressEngine& m_engine;
    InstallResult m_result;
    std::function<void()> m_startLanScan;
    const std::string m_browseDir;
};

}  // namespace qvpc
