#include "support/fake_shell.h"

#include <algorithm>
#include <thread>

#include "adb/shell_status.h"

namespace qvpc::test {
namespace {

std::string WithCrLf(const std::string& text) {
    std::string converted;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            converted += '\r';
        }
        converted += text[i];
    }
    return converted;
}

}  // namespace

FakeShell::FakeShell(std::string dataDir)
    : m_dataDir(std::move(dataDir)), m_prompt(m_dataDir + ">") {}

void FakeShell::onCommand(std::function<void(const std::string&)> answer) {
    std::lock_guard lock(m_mutex);
    m_answer = std::move(answer);
}

void FakeShell::finishCommand(const std::string& printed) {
    std::lock_guard lock(m_mutex);
    m_output += WithCrLf(printed);
    m_output += "\r\n" + m_prompt;
    ++m_outputChanges;
    m_running = std::max(m_running - 1, 0);
}

void FakeShell::appendOutput(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_output += WithCrLf(text);
    ++m_outputChanges;
}

void FakeShell::setAttached(bool attached, std::string deviceList) {
    std::lock_guard lock(m_mutex);
    m_attached = attached;
    m_deviceList = std::move(deviceList);
}

void FakeShell::setRunningCommand(bool running) {
    std::lock_guard lock(m_mutex);
    m_running = running ? std::max(m_running, 1) : 0;
}

std::vector<std::string> FakeShell::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<std::string> FakeShell::commandsWith(std::string_view part) const {
    std::vector<std::string> found;
    for (const std::string& line : commands()) {
        if (line.find(part) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

int FakeShell::endRunningCommandCalls() const {
    std::lock_guard lock(m_mutex);
    return m_endCalls;
}

int FakeShell::attachChecks() const {
    std::lock_guard lock(m_mutex);
    return m_attachChecks;
}

void FakeShell::SendCommand(std::string_view line) {
    std::function<void(const std::string&)> answer;
    {
        std::lock_guard lock(m_mutex);
        if (!m_alive) {
            // A new shell: whatever the old one ran is gone with it.
            m_alive = true;
            m_running = 0;
        }
        m_commands.emplace_back(line);
        ++m_running;
        answer = m_answer;
    }
    if (answer) {
        answer(std::string(line));
    }
}

std::string FakeShell::ShellStatus() {
    ShellStatusReading reading = ReadShellStatus(output(), m_dataDir);
    if (!idle()) {
        return reading.text;
    }
    const std::vector<std::string> lines = CorrectionCommands(reading, m_dataDir);
    // The correction lines are noted, not run: they leave no command running.
    std::lock_guard lock(m_mutex);
    m_commands.insert(m_commands.end(), lines.begin(), lines.end());
    return reading.text;
}

void FakeShell::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

bool FakeShell::IsDeviceAttached(const std::string& ip) {
    std::lock_guard lock(m_mutex);
    ++m_attachChecks;
    if (ip.empty()) {
        return false;
    }
    // As the real check, it leaves adb's list in the output.
    m_output = "-List of devices attached\r\n" + WithCrLf(m_deviceList) + "\r\n\r\n" + m_prompt;
    return m_attached;
}

std::string FakeShell::output() const {
    std::lock_guard lock(m_mutex);
    return m_output;
}

void FakeShell::resetOutput(std::string_view marker) {
    std::lock_guard lock(m_mutex);
    m_output.assign(marker);
}

std::uint64_t FakeShell::outputChanges() const {
    std::lock_guard lock(m_mutex);
    return m_outputChanges;
}

bool FakeShell::running() {
    std::lock_guard lock(m_mutex);
    return m_alive;
}

void FakeShell::setPromptListener(std::function<void()> listener) {
    std::lock_guard lock(m_listenerMutex);
    m_promptListener = std::move(listener);
}

void FakeShell::endShell() {
    std::lock_guard lock(m_mutex);
    m_alive = false;
}

bool FakeShell::outputContains(std::string_view text) const {
    std::lock_guard lock(m_mutex);
    return m_output.find(text) != std::string::npos;
}

bool FakeShell::idle() const {
    std::lock_guard lock(m_mutex);
    return m_running == 0;
}

bool FakeShell::WaitUntilIdle(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!idle()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool FakeShell::EndRunningCommand() {
    std::lock_guard lock(m_mutex);
    ++m_endCalls;
    if (m_running == 0) {
        return false;
    }
    m_running = 0;
    m_output += "\r\n" + m_prompt;
    return true;
}

}  // namespace qvpc::test
