#pragma once

#include <functional>

namespace qvpc {

class ProgressEngine;
class Screen;
class SharedState;
class TaskShell;

// Page 9's "升级应用": the installed-app list refilled with the apps the
// download server has in a newer version, from what the last list load
// found (nothing is asked of the box or the server again).
class UpgradeListing {
  public:
    struct Needs {
        TaskShell& shell;
        Screen& screen;
        SharedState& state;
        ProgressEngine& engine;
        std::function<void()> startLanScan;
        // Adds the rows of the apps marked for an upgrade.
        std::function<void()> fillUpgradeList;
    };

    explicit UpgradeListing(Needs needs);

    void ShowUpgradeList();

  private:
    Needs m_needs;
};

}  // namespace qvpc
