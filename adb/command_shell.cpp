#include "adb/command_shell.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "adb/adb_commands.h"
#include "adb/device_list.h"
#include "adb/shell_status.h"
#include "base/log.h"
#include "base/process.h"
#include "base/pseudo_terminal.h"
#include "base/read_until_end.h"
#include "base/spawn.h"
#include "base/window_loop.h"

extern char** environ;

namespace qvpc {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadSize = 1024;
// A box that floods the shell cannot exhaust memory: past the limit the oldest
// half of the output goes. Every outcome the program looks for is far smaller.
constexpr std::size_t kOutputLimit = 8 * 1024 * 1024;
constexpr std::chrono::seconds kReadyLimit{2};
constexpr std::chrono::milliseconds kAttachPoll{100};
constexpr std::chrono::milliseconds kIdlePoll{20};
// How long an ended command gets to bring the shell back to its prompt.
constexpr std::chrono::seconds kEndedCommandLimit{2};

// The shell writes this byte at the start of every prompt; the reader counts
// and drops it. Prompts counted against command lines written tell when the
// shell has run everything it was given, whatever the commands printed.
constexpr char kPromptMark = '\x01';

// An adb shell on the box reads its standard input: given the pipe, it would
// swallow the command lines written after it. Every adb command gets /dev/null.
constexpr std::string_view kAdbFunction = "adb() { command adb \"$@\" </dev/null; }";

std::vector<std::string> ShellEnvironment(const std::string& dataDir) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        std::string_view item(*entry);
        if (item.starts_with("PS1=") || item.starts_with("PS2=") || item.starts_with("ENV=") ||
            item.starts_with("LC_ALL=") || item.starts_with("PWD=") || item.starts_with("TERM=")) {
            continue;
        }
        env.emplace_back(item);
    }
    // The shell keeps a PWD that names its working directory; without it, it
    // would start at the path with every link resolved, a prompt of another
    // directory for a DataDir reached through a link.
    env.emplace_back("PWD=" + dataDir);
    // The newline puts every prompt on a line of its own, so a prompt never
    // sticks to the output before it or to the next prompt.
    env.emplace_back(std::string("PS1=\n") + kPromptMark + "$PWD>");
    env.emplace_back("PS2=");
    // adb's error texts stay English.
    env.emplace_back("LC_ALL=C.UTF-8");
    // adb draws its progress only on a terminal that is not "dumb".
    env.emplace_back("TERM=xterm");
    return env;
}

}  // namespace

CommandShell::CommandShell(std::string dataDir, Log& log, WindowLoop& loop)
    : m_dataDir(std::move(dataDir)), m_prompt(m_dataDir + ">"), m_log(log), m_loop(loop) {
    // A write to a shell that has just ended must fail, not end the program.
    ::signal(SIGPIPE, SIG_IGN);
}

CommandShell::~CommandShell() {
    Stop();
}

bool CommandShell::StartShell() {
    std::lock_guard lock(m_processMutex);
    stopLocked();
    return spawnLocked();
}

bool CommandShell::spawnLocked() {
    std::optional<Pipe> input = OpenPipe();
    if (!input) {
        return false;
    }
    // Its output goes to a terminal rather than a pipe: adb shows an
    // install's progress ("[ 45%] ...") only there.
    std::optional<PseudoTerminal> pty = OpenPseudoTerminal();
    if (!pty) {
        return false;
    }
    std::optional<Pipe> wake = OpenPipe();
    if (!wake) {
        return false;
    }

    // Its own session: no terminal to take over, and one process group that
    // Stop can end as a whole. Without job control the shell does not
    // complain that it has no terminal.
    std::optional<pid_t> pid =
        Spawn({"/bin/sh", "+m", "-i"}, {.input = input->readEnd.get(),
                                        .output = pty->terminal.get(),
                                        .error = pty->terminal.get(),
                                        .workingDirectory = m_dataDir,
                                        .start = ProcessStart::NewSession,
                                        .environment = ShellEnvironment(m_dataDir)});
    if (!pid) {
        return false;
    }

    m_pid = *pid;
    m_input = std::move(input->writeEnd);
    m_wakeWrite = std::move(wake->writeEnd);
    {
        std::lock_guard outputLock(m_outputMutex);
        m_lastAppendedCr = false;
        // The prompt the shell prints at start, and the one after the
        // definition of the adb function.
        m_promptsSeen = 0;
        m_linesSent = 2;
    }
    m_reader = std::thread(
        [this, output = std::move(pty->controller), wakeRead = std::move(wake->readEnd)] {
            readerLoop(output.get(), wakeRead.get());
        });
    writeLocked(std::string(kAdbFunction) + "\n");
    waitUntilIdleLocked(kReadyLimit);
    return true;
}

void CommandShell::readerLoop(int outputFd, int wakeFd) {
    int chunkNumber = 0;
    ReadUntilEnd(outputFd, {.chunkSize = kReadSize, .wakeFd = wakeFd}, [&](std::string_view read) {
        // Text holds no zero byte; only the byte goes. Ending the text there
        // would also drop what follows it in the same read, often the prompt
        // that ends the command.
        std::string chunk(read);
        std::erase(chunk, '\0');
        appendChunk(std::move(chunk), ++chunkNumber);
    });
}

void CommandShell::appendChunk(std::string chunk, int chunkNumber) {
    if (chunkNumber == 1) {
        if (!chunk.starts_with("\r\n")) {
            chunk.insert(0, "\r\n");
        }
    } else if (chunk.starts_with("\r\n")) {
        chunk.erase(0, 2);
    }

    bool atPrompt;
    {
        std::lock_guard lock(m_outputMutex);
        appendLocked(chunk);
        atPrompt = m_promptsSeen >= m_linesSent && m_output.ends_with(m_prompt);
    }
    if (atPrompt) {
        std::lock_guard lock(m_listenerMutex);
        if (m_promptListener) {
            m_promptListener();
        }
    }
}

void CommandShell::setPromptListener(std::function<void()> listener) {
    std::lock_guard lock(m_listenerMutex);
    m_promptListener = std::move(listener);
}

void CommandShell::appendLocked(const std::string& chunk) {
    ++m_outputChanges;
    // Lines end in CR LF here, as the rest of the program reads them.
    for (char c : chunk) {
        if (c == kPromptMark) {
            m_promptsSeen = std::min(m_promptsSeen + 1, m_linesSent);
            continue;
        }
        if (c == '\n' && !m_lastAppendedCr) {
            m_output.push_back('\r');
        }
        m_output.push_back(c);
        m_lastAppendedCr = c == '\r';
    }
    if (m_output.size() > kOutputLimit) {
        m_output.erase(0, m_output.size() - kOutputLimit / 2);
    }
}

bool CommandShell::writeLocked(std::string_view bytes) {
    if (!m_input.valid()) {
        return false;
    }
    while (!bytes.empty()) {
        ssize_t n = ::write(m_input.get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool CommandShell::aliveLocked() {
    if (m_pid <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0) {
        return true;
    }
    // What it was running (an adb install, say) would live on as an orphan
    // and keep its box busy: the group goes too. Its members keep the group's
    // id from being given to anybody else. Then the id is forgotten, as it
    // may soon belong to another process.
    ::kill(-m_pid, SIGKILL);
    m_log.WriteLog(log_category::kOperation, "命令行已退出,下一条命令将重新启动它");
    m_pid = -1;
    return false;
}

void CommandShell::SendCommand(std::string_view line) {
    std::lock_guard lock(m_processMutex);
    if (!aliveLocked()) {
        // What a fresh shell prints before it is ready is not command output;
        // it is taken out again unless somebody reset the output meanwhile.
        std::string before = output();
        stopLocked();
        if (!spawnLocked()) {
            m_log.WriteLog(log_category::kOperation,
                           "命令行无法启动,指令未执行: " + std::string(line));
            return;
        }
        std::lock_guard outputLock(m_outputMutex);
        if (m_output.starts_with(before)) {
            m_output.resize(before.size());
        }
    }
    std::string bytes(line);
    bytes += '\n';
    // Counted before the write: the prompt that ends the line may come back
    // before the write call returns.
    {
        std::lock_guard outputLock(m_outputMutex);
        ++m_linesSent;
    }
    if (!writeLocked(bytes)) {
        std::lock_guard outputLock(m_outputMutex);
        --m_linesSent;
    }
}

bool CommandShell::idle() const {
    std::lock_guard lock(m_outputMutex);
    return m_promptsSeen >= m_linesSent;
}

bool CommandShell::waitUntilIdleLocked(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!idle()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool CommandShell::WaitUntilIdle(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!idle()) {
        // A shell that has ended will never be idle; a program that is
        // closing waits for nothing.
        if (Clock::now() >= deadline || !running() || m_loop.programClosing()) {
            return false;
        }
        Pause(kIdlePoll);
    }
    return true;
}

std::string CommandShell::ShellStatus() {
    ShellStatusReading reading = ReadShellStatus(output(), m_dataDir);
    // Only a shell that waits for its next line shows a prompt. Until then the
    // last line is what a command printed (a box's "#" comment, a ">" of any
    // text), and lines written now would wait behind the command: an "exit"
    // would end the shell once the command has run, leaving the task waiting
    // for a prompt that never comes.
    if (!idle()) {
        return reading.text;
    }
    if (reading.action == ShellStatusReading::Action::Wandered) {
        m_log.WriteLog(log_category::kOperation, "指令头初始化:" + reading.text);
    }
    for (const std::string& line : CorrectionCommands(reading, m_dataDir)) {
        SendCommand(line);
    }
    return reading.text;
}

void CommandShell::Pause(std::chrono::milliseconds duration) {
    if (m_loop.isUiThread()) {
        m_loop.runEventLoopFor(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

bool CommandShell::IsDeviceAttached(const std::string& ip) {
    ShellStatus();
    if (ip.empty() || m_loop.programClosing()) {
        return false;
    }
    // What the shell still runs must not end up in the list's output. No task
    // runs when this is asked, so a command still running after the wait is
    // a leftover (a ping, a connect that was given up): it is ended.
    if (!WaitUntilIdle(kAttachTimeout) && running()) {
        m_log.WriteLog(log_category::kOperation, "命令行仍在执行上一条命令,结束它");
        EndRunningCommand();
        WaitUntilIdle(kEndedCommandLimit);
    }
    resetOutput();
    SendCommand(adb_commands::Devices());

    // The list is complete once the shell has run the command; a broken
    // shell or server gets kAttachTimeout of its own.
    const auto deadline = Clock::now() + kAttachTimeout;
    while (!idle() && Clock::now() < deadline && running() && !m_loop.programClosing()) {
        m_loop.processPendingEvents();
        Pause(kAttachPoll);
    }
    const std::string text = output();
    if (text.find("error: device offline") != std::string::npos) {
        return false;
    }
    // Only a box in the state "device" takes commands; offline and
    // unauthorised ones do not.
    return ListedState(text, ip) == "device";
}

std::string CommandShell::output() const {
    std::lock_guard lock(m_outputMutex);
    return m_output;
}

void CommandShell::resetOutput(std::string_view marker) {
    std::lock_guard lock(m_outputMutex);
    m_output.assign(marker);
    m_lastAppendedCr = false;
}

std::uint64_t CommandShell::outputChanges() const {
    std::lock_guard lock(m_outputMutex);
    return m_outputChanges;
}

bool CommandShell::running() {
    std::lock_guard lock(m_processMutex);
    return aliveLocked();
}

bool CommandShell::outputContains(std::string_view text) const {
    std::lock_guard lock(m_outputMutex);
    return m_output.find(text) != std::string::npos;
}

bool CommandShell::EndRunningCommand() {
    pid_t pid = shellPid();
    if (pid <= 0) {
        return false;
    }
    // The ADB server that a command may have started leaves the shell's
    // session at once; it serves the whole program and stays.
    const pid_t session = ::getsid(pid);
    bool ended = false;
    for (int child : DescendantProcesses(pid)) {
        if (::getsid(child) == session && ::kill(child, SIGKILL) == 0) {
            ended = true;
        }
    }
    return ended;
}

void CommandShell::Stop() {
    std::lock_guard lock(m_processMutex);
    stopLocked();
}

void CommandShell::stopLocked() {
    if (m_pid > 0) {
        // The shell leads its own process group, which holds what it runs.
        ::kill(-m_pid, SIGKILL);
        WaitForExit(m_pid);
        m_pid = -1;
    }
    m_input.reset();
    if (m_wakeWrite.valid()) {
        char wake = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wakeWrite.get(), &wake, 1);
    }
    if (m_reader.joinable()) {
        m_reader.join();
    }
    m_wakeWrite.reset();
}

pid_t CommandShell::shellPid() const {
    std::lock_guard lock(m_processMutex);
    return m_pid;
}

}  // namespace qvpc
