#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace qvpc {

class DeviceRecords;
class Log;
class MacLookup;
class PageView;
class RemoteSql;
class SharedState;
class TaskShell;

// What follows a connection: the box's model from its build properties, its
// brand from the remote units table, its MAC when it was typed by address,
// its records, and the name on page 4's label. Runs where the connect's
// outcome is read (the timers' thread).
class BoxRecognition {
  public:
    // The build properties have arrived when the shell is back at its
    // prompt; it gets this long.
    static constexpr std::chrono::milliseconds kBuildPropWait{2000};
    static constexpr int kMacTries = 60;
    static constexpr std::chrono::milliseconds kMacRetryWait{10};

    BoxRecognition(SharedState& state, TaskShell& shell, PageView& page, Log& log,
                   RemoteSql& remote, DeviceRecords& records, MacLookup& macs,
                   std::chrono::milliseconds buildPropWait = kBuildPropWait);

    void RecognizeConnectedBox();

    // The ro.product.model of build.prop output, ASCII letters upper-cased;
    // empty when there is none.
    static std::string ModelIn(std::string_view output);

  private:
    SharedState& m_state;
    TaskShell& m_shell;
    PageView& m_page;
    Log& m_log;
    RemoteSql& m_remote;
    DeviceRecords& m_records;
    MacLookup& m_macs;
    const std::chrono::milliseconds m_buildPropWait;
};

}  // namespace qvpc
