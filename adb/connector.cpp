#include "adb/connector.h"

#include "adb/adb_commands.h"
#include "adb/connect_outcome.h"
#include "adb/device_list.h"
#include "adb/progress_engine.h"
#include "adb/task_names.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/shared_state.h"

namespace qvpc {
namespace {

constexpr std::chrono::seconds kIdleLimit{5};
constexpr int kCommandPort = 8090;
constexpr std::string_view kOnlyAdbPort = "IP地址格式不正确,盒子的端口只能是5555";

}  // namespace

Connector::Connector(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                     ProgressEngine& engine, std::function<void()> recognize,
                     std::function<void(const std::string&)> startAdbd)
    : m_state(state),
      m_shell(shell),
      m_screen(screen),
      m_log(log),
      m_engine(engine),
      m_recognize(std::move(recognize)),
      m_startAdbd(std::move(startAdbd)) {}

void Connector::InterpretResult(TimerId timer) {
    const std::string result = ClassifyConnect();
    // The box is recognised while its task still runs and before page 4 lets
    // the user start another: recognition reads the box's build properties
    // through the shell, where another task's output would get in the way.
    if (result == kConnected) {
        if (m_recognize) {
            m_recognize();
        } else {
            nameUnnamedBox();
        }
        m_screen.ShowPage(PageId::Home);
    }
    m_engine.EndTask(timer);
}

void Connector::TaskLost(TimerId timer) {
    ShowConnectTimedOut();
    m_engine.EndTask(timer);
}

void Connector::Connect(const std::string& address, const std::string& mac) {
    if (m_engine.CheckTaskConflict()) {
        return;
    }
    const std::optional<std::string> box = adb_commands::BoxAddress(address);
    if (!box) {
        m_screen.MsgBox(Notice({}, std::string(kOnlyAdbPort)));
        return;
    }
    const std::string& ip = *box;
    m_screen.ShowBusyPage(BusyPageRequest::Enter("正在连接 " + ip));
    m_state.setCurrentIp(ip);
    m_state.setCurrentMac(mac);
    m_state.setCurrentBrand({});
    // The end of a command still running would end this task at once.
    m_shell.WaitUntilIdle(kIdleLimit);
    m_shell.resetOutput();
    m_shell.ShellStatus();
    m_shell.SendCommand(adb_commands::Connect(ip));
    m_engine.StartTask({.progressName = kProgressConnect, .owner = this});
}

void Connector::Disconnect() {
    if (m_engine.CheckTaskConflict()) {
        return;
    }
    m_screen.ShowBusyPage(BusyPageRequest::Enter("正在断开连接..."));
    m_shell.SendCommand(adb_commands::Disconnect(m_state.currentIp()));
    m_screen.ShowPage(PageId::Start);
}

void Connector::ConnectToTile(const DeviceTile& tile) {
    if (tile.buttonText != "连接") {
        if (tile.buttonText == "手动连接新设备") {
            m_screen.ShowPage(PageId::ManualIp);
        }
        return;
    }
    m_shell.ShellStatus();
    m_state.setCurrentIp(tile.address);
    m_state.setCurrentMac(tile.mac);
    setBoxName(tile.name);
    // A box found on port 8090 only is asked there to start its ADB daemon
    // first; the connect follows whatever it answered.
    if (tile.port == kCommandPort && m_startAdbd) {
        m_startAdbd(tile.address);
    }
    Connect(tile.address, tile.mac);
}

std::string Connector::ClassifyConnect() {
    const std::string output = m_shell.output();
    m_log.WriteLog(log_category::kTask, output);
    const std::string ip = m_state.currentIp();

    ConnectRow row = ClassifyConnectOutput(output, ip);
    if (row == ConnectRow::AlreadyConnected) {
        // The check leaves adb's list in OutputBuffer.
        bool attached = m_shell.IsDeviceAttached(ip);
        row = attached ? ConnectRow::Connected
                       : ResolveAlreadyConnected(ListedState(m_shell.output(), ip).value_or(""));
    }

    std::string result(kUnconnected);
    switch (row) {
        case ConnectRow::Connected:
            result = kConnected;
            break;
        case ConnectRow::Unknown:
            m_screen.ShowBusyPage(BusyPageRequest::Leave());
            break;
        case ConnectRow::Error:
            showFailure(ConnectFailureMessage(row));
            m_shell.SendCommand(adb_commands::Ping(ip));
            break;
        default:
            showFailure(ConnectFailureMessage(row));
            break;
    }
    std::lock_guard lock(m_mutex);
    m_lastResult = result;
    return result;
}

void Connector::ShowConnectTimedOut() {
    m_log.WriteLog(log_category::kTask, m_shell.output());
    showFailure(ConnectFailureMessage(ConnectRow::AddressNotFound));
    std::lock_guard lock(m_mutex);
    m_lastResult = kUnconnected;
}

void Connector::showFailure(std::string_view message) {
    m_screen.ShowPage(PageId::NotFound, std::string(message));
    m_log.WriteLog(log_category::kTask, message);
}

void Connector::nameUnnamedBox() {
    bool unnamed;
    {
        std::lock_guard lock(m_mutex);
        unnamed = m_boxName.empty();
    }
    if (unnamed) {
        setBoxName(std::string(kDefaultBoxName));
    }
}

void Connector::setBoxName(const std::string& name) {
    {
        std::lock_guard lock(m_mutex);
        m_boxName = name;
    }
    m_screen.setBoxName(name);
}

std::string Connector::lastResult() const {
    std::lock_guard lock(m_mutex);
    return m_lastResult;
}

}  // namespace qvpc
