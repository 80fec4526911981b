#include "adb/progress_engine.h"

#include <cctype>

#include "adb/adb_commands.h"
#include "adb/install_outcome.h"
#include "adb/task_names.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "base/shared_state.h"

namespace qvpc {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kBoxShellPrompt = "@android:/ $";
constexpr std::string_view kBoxRootShellPrompt = "@android:/ #";
// A prompt whose path the console could not show: the shell cannot be brought
// back to DataDir.
constexpr std::string_view kUnshowablePath = "????????????????";
constexpr std::chrono::milliseconds kStopPoll{20};

// An optional sign, then the digits up to the first other character.
int LeadingInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            break;
        }
        value = std::min(value * 10 + (c - '0'), 1'000'000'000L);
    }
    return static_cast<int>(negative ? -value : value);
}

std::string_view TrimAsciiSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// adb's progress record on a terminal, "[ 45%] /data/local/tmp/a.apk", at the
// start of a line (adb redraws it after a CR): the value of the last one, or
// nullopt when there is none. A record's like inside a file name does not
// start a line.
std::optional<int> LastProgressRecord(std::string_view output) {
    for (std::size_t close = output.rfind("%]"); close != std::string_view::npos;
         close = close == 0 ? std::string_view::npos : output.rfind("%]", close - 1)) {
        std::size_t digits = close;
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(output[digits - 1]))) {
            --digits;
        }
        std::size_t open = digits;
        while (open > 0 && output[open - 1] == ' ') {
            --open;
        }
        const bool startsLine = open > 0 && output[open - 1] == '[' &&
                                (open == 1 || output[open - 2] == '\r' || output[open - 2] == '\n');
        if (digits < close && close - digits <= 3 && startsLine) {
            return LeadingInteger(output.substr(digits, close - digits));
        }
    }
    return std::nullopt;
}

}  // namespace

int InstallPercentIn(std::string_view output) {
    if (std::optional<int> record = LastProgressRecord(output)) {
        return *record;
    }
    std::size_t percent = output.rfind('%');
    if (percent == std::string_view::npos) {
        return 0;
    }
    std::size_t from = percent >= 6 ? percent - 6 : 0;
    return LeadingInteger(TrimAsciiSpaces(output.substr(from, percent - from)));
}

ProgressEngine::ProgressEngine(SharedState& state, TaskShell& shell, Screen& screen, Log& log,
                               Timings timings)
    : m_state(state),
      m_shell(shell),
      m_screen(screen),
      m_log(log),
      m_timings(timings),
      m_timers(timings.period, [this](TimerId timer) { Tick(timer); }) {
    // A task's end is seen as soon as the shell is back, not a period later.
    m_shell.setPromptListener([this] {
        TimerId timer;
        {
            std::lock_guard lock(m_mutex);
            timer = m_task.timer;
        }
        if (timer != 0) {
            m_timers.poke(timer);
        }
    });
}

ProgressEngine::~ProgressEngine() {
    shutDown();
}

void ProgressEngine::shutDown() {
    m_shell.setPromptListener({});
    m_timers.shutDown();
}

void ProgressEngine::setForcedStopHook(std::function<void()> hook) {
    std::lock_guard lock(m_hookMutex);
    m_forcedStopHook = std::move(hook);
}

bool ProgressEngine::StartTask(TaskRequest request) {
    if (!currentProgress().empty()) {
        TimerId abandoned;
        {
            std::lock_guard lock(m_mutex);
            abandoned = m_task.timer;
        }
        m_screen.MsgBox(Notice("任务冲突", "有任务正在进行,请稍后重试"));
        {
            std::lock_guard lock(m_mutex);
            // Unless the task ended while the notice was open, it is abandoned;
            // its timer stops now so that it can never end the next task.
            if (m_task.timer == abandoned) {
                m_timers.stop(abandoned);
                m_shell.resetOutput();
                m_task = {};
            }
        }
        m_log.WriteLog(log_category::kTask, "接口进度，进度不为空，不能同时进行俩任务");
        return false;
    }

    if (request.subject && request.progressName == kProgressInstall) {
        m_screen.ShowInstalling("正在安装... ...", false);
    }
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = Clock::now();
    m_task = RunningTask{.progressName = std::string(request.progressName),
                         .timer = m_timers.start(),
                         .owner = request.owner,
                         .subject = request.subject.value_or(std::string{}),
                         .extra = std::move(request.extra),
                         .start = now,
                         .outputChanges = m_shell.outputChanges(),
                         .lastChange = now};
    return true;
}

bool ProgressEngine::CheckTaskConflict(std::string_view stopLog) {
    const std::string running = currentProgress();
    if (running.empty()) {
        return false;
    }
    int answer =
        m_screen.MsgBox(Question("任务冲突", "有任务正在进行:" + running + "是否要强制停止?"));
    if (answer == 0) {
        if (!stopLog.empty()) {
            m_log.WriteLog(log_category::kOperation, stopLog);
        }
        ForceStop();
    }
    m_log.WriteLog(log_category::kOperation, "有任务正在进行: " + currentProgress());
    return true;
}

void ProgressEngine::ForceStop() {
    m_log.WriteLog(log_category::kOperation, "需要设计中断操作");
    // Carried out here and now rather than by the next tick: a task started
    // right after this call must not be taken for the stopped one, and a
    // stalled task has no tick that would ever end it.
    TaskOwner* owner;
    {
        std::lock_guard lock(m_mutex);
        m_timers.stop(m_task.timer);
        m_task.timer = 0;
        owner = m_task.owner;
    }
    endTaskCommands();
    {
        std::lock_guard lock(m_mutex);
        m_shell.resetOutput();
        m_task = {};
    }
    if (owner) {
        owner->TaskStopped();
    }
    std::function<void()> hook;
    {
        std::lock_guard lock(m_hookMutex);
        hook = m_forcedStopHook;
    }
    if (hook) {
        hook();
    }
}

void ProgressEngine::EndTask(TimerId timer, bool withShellStatus) {
    std::lock_guard lock(m_mutex);
    m_timers.stop(timer);
    if (timer != m_task.timer) {
        return;
    }
    m_task.timer = 0;
    if (withShellStatus) {
        m_shell.ShellStatus();
    }
    m_shell.resetOutput();
    m_task = {};
}

std::string ProgressEngine::currentProgress() const {
    std::lock_guard lock(m_mutex);
    return m_task.progressName;
}

std::string ProgressEngine::taskExtra() const {
    std::lock_guard lock(m_mutex);
    return m_task.extra;
}

bool ProgressEngine::mayWaitForVerdict(TimerId timer) {
    std::lock_guard lock(m_mutex);
    return timer == m_task.timer && ++m_task.ticksWithoutVerdict <= kTicksWithoutVerdict;
}

TaskOwner* ProgressEngine::ownerOf(TimerId timer) const {
    std::lock_guard lock(m_mutex);
    return timer == m_task.timer ? m_task.owner : nullptr;
}

std::string ProgressEngine::taskSubject() const {
    std::lock_guard lock(m_mutex);
    return m_task.subject;
}

void ProgressEngine::stopTimerOf(TimerId timer) {
    std::lock_guard lock(m_mutex);
    m_timers.stop(timer);
    if (timer == m_task.timer) {
        m_task.timer = 0;
    }
}

void ProgressEngine::endTaskCommands() {
    // A task may have given the shell several lines (the screenshot's capture
    // and pull): each one that starts is ended too, until the shell is idle.
    const auto deadline = Clock::now() + m_timings.promptAfterStop;
    while (m_shell.EndRunningCommand() || !m_shell.idle()) {
        if (Clock::now() >= deadline) {
            return;
        }
        m_shell.Pause(kStopPoll);
    }
}

void ProgressEngine::Tick(TimerId timer) {
    TaskOwner* owner;
    std::string progress;
    {
        std::lock_guard lock(m_mutex);
        // The timer of a task that was stopped or abandoned meanwhile.
        if (timer != m_task.timer) {
            m_timers.stop(timer);
            return;
        }
        owner = m_task.owner;
        progress = m_task.progressName;
    }
    if (!owner) {
        EndTask(timer);
        return;
    }

    const std::string status = m_shell.ShellStatus();
    // The prompt between two command lines of a task is not its end.
    if (status == kBoxShellPrompt || status == kBoxRootShellPrompt ||
        (status == m_shell.prompt() && m_shell.idle())) {
        owner->InterpretResult(timer);
        return;
    }
    if (status.find(kUnshowablePath) != std::string::npos) {
        // Stalled: the task stays set until a forced stop or a new start.
        stopTimerOf(timer);
        m_screen.MsgBox(Notice("连接出错", "请重启助手,重新连接盒子"));
        return;
    }
    if (!m_shell.running()) {
        // Nothing will ever finish the command: the shell that ran it is gone
        // (the next command starts a new one).
        m_log.WriteLog(log_category::kTask, "命令行意外结束,任务中断: " + progress);
        owner->TaskLost(timer);
        return;
    }
    const std::string output = m_shell.output();
    if (pastItsLimit(progress, output)) {
        m_log.WriteLog(log_category::kTask, "任务超时,结束命令: " + progress);
        endTaskCommands();
        // The ADB server still holds its connection to a box that stopped
        // answering, and would send the next command into it: it is dropped,
        // so the next action finds the box detached and asks for a reconnect.
        if (progress != kProgressConnect && !m_state.currentIp().empty()) {
            m_shell.SendCommand(adb_commands::Disconnect(m_state.currentIp()));
        }
        owner->TaskLost(timer);
        return;
    }
    if (progress == kProgressInstall) {
        updateInstallPercent(output);
    }
}

bool ProgressEngine::pastItsLimit(std::string_view progress, const std::string& output) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(m_mutex);
    const std::uint64_t changes = m_shell.outputChanges();
    if (changes != m_task.outputChanges) {
        m_task.outputChanges = changes;
        m_task.lastChange = now;
    }
    if (progress == kProgressConnect) {
        return now - m_task.start >= m_timings.connectLimit;
    }
    if (progress == kProgressInstall) {
        // Until the APK is on the box its transfer must keep moving; then the
        // box's package manager takes its time.
        if (!m_task.transferEnded && AwaitsVerdict(output, m_task.subject)) {
            m_task.transferEnded = now;
        }
        return m_task.transferEnded ? now - *m_task.transferEnded >= m_timings.verdictLimit
                                    : now - m_task.lastChange >= m_timings.stallLimit;
    }
    return now - m_task.start >= m_timings.commandLimit;
}

void ProgressEngine::updateInstallPercent(const std::string& output) {
    const int value = InstallPercentIn(output);
    {
        std::lock_guard lock(m_mutex);
        // Once it has shown 100 the label stays there.
        if (value <= 0 || value == m_task.shownPercent || m_task.shownPercent == 100) {
            return;
        }
        m_task.shownPercent = value;
    }
    m_screen.setPercentText(std::to_string(value) + "%");
}

}  // namespace qvpc
