#include "companion/companion_bootstrap.h"

#include <cctype>
#include <charconv>

#include "adb/adb_commands.h"
#include "adb/adb_output.h"
#include "adb/task_shell.h"
#include "base/log.h"
#include "base/message_boxes.h"
#include "base/screen.h"
#include "base/shared_state.h"
#include "companion/companion_query.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kPromptPoll{10};
// A machine that goes round more often than this repeats itself (a box
// that keeps refusing the same install): it ends.
constexpr int kPassLimit = 12;

constexpr std::string_view kStarted =
    "Starting: Intent { cmp=com.quillet.remoteassistant/.StartActivity }";
// Shown with the popup's close button: the box may wait for the user.
constexpr std::string_view kConfirmOnTv = "初始化中（部分电视请确认安装控件）";
constexpr std::string_view kNoServiceStarted = "Error: Not found; no service started";

bool Has(const std::string& output, std::string_view text) {
    return ContainsIgnoringCase(output, text);
}

// The integer value of a text: leading blanks, then digits.
int IntegerOf(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool OnlyBlanks(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

CompanionBootstrap::CompanionBootstrap(Needs needs) : m_needs(std::move(needs)) {}

std::string CompanionBootstrap::BootstrapCompanion() {
    const std::string version = m_needs.query(kGetVersion, 2);
    if (!m_needs.mayInstall && (version.empty() || IntegerOf(version) != kCompanionVersion)) {
        log("携带的是测试用的替身助手,不安装到盒子");
        return version;
    }
    if (!version.empty()) {
        if (OnlyBlanks(version)) {
            return version;
        }
        log("直接取到了版本号,服务已运行");
        if (IntegerOf(version) == kCompanionVersion) {
            return version;
        }
        log("插件需要更新");
        if (aborted()) {
            log("手动跳出");
            return "jumpout";
        }
        popup("正在更新插件... ...");
        writeApk();
        buffer("Error");
        runMachine(Machine::Update, 2);
    } else {
        runMachine(Machine::FirstInstall, 1);
    }
    return m_needs.query(kGetVersion, 1);
}

void CompanionBootstrap::runMachine(Machine machine, int state) {
    m_ended = false;
    for (int pass = 0; state > 0 && !m_ended; ++pass) {
        const std::string output = m_needs.shell.output();
        if (pass == kPassLimit) {
            log("step 2|安装结果未知" + output);
            return;
        }
        state = machine == Machine::Update ? updatePass(state, output)
                                           : firstInstallPass(state, output);
        if (m_ended || !WaitForPrompt(kCommandLimit)) {
            return;
        }
    }
}

int CompanionBootstrap::updatePass(int state, const std::string& output) {
    if (state == 2) {
        if (Has(output, "Error")) {
            buffer("\\");
            popup("正在安装插件... ...");
            log("step 2|kill com.quillet.remoteassistant");
            if (!kill()) {
                return 0;
            }
            buffer("\\");
            popup(kConfirmOnTv);
            log("step 2|install com.quillet.remoteassistant");
            install();
            return 3;
        }
        if (output.find(kStarted) != std::string::npos) {
            popup("初始化成功");
            log("step 2|初始化成功|" + output);
            m_needs.query(kGetVersion, 3);
            return 0;
        }
        log("step 2|vad启动结果未知|" + output);
        m_needs.screen.MsgBox(Notice({}, "vad启动结果未知."));
        return 0;
    }
    if (Has(output, "INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES") ||
        Has(output, "Failure [INSTALL_FAILED_VERSION_DOWNGRADE]")) {
        const bool certificates = Has(output, "INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES");
        log((certificates ? "step 2|vad安装出错,签名冲突|"
                          : "step 2|vad安装出错,已安装高版本vad|") +
            output);
        buffer("\\");
        log("step 2|kill com.quillet.remoteassistant");
        if (!kill()) {
            return 0;
        }
        buffer("\\");
        log("step 2|uninstall com.quillet.remoteassistant");
        // A signature conflict's uninstall is not waited for: the install
        // after it waits for both.
        if (!uninstall(!certificates)) {
            return 0;
        }
        buffer("\\");
        log("step 2|install com.quillet.remoteassistant");
        if (!install()) {
            return 0;
        }
        log("step 2|vad已卸载,并安装现有版本完成|" + m_needs.shell.output());
        return 3;
    }
    if (Has(output, "error")) {
        log("step 2|vad安装失败|" + output);
        m_needs.screen.MsgBox(Notice({}, "连接初始化失败"));
        return 0;
    }
    if (Has(output, "success")) {
        buffer("-");
        log("step 2|安装成功" + output);
        popup("正在初始化插件... ...");
        buffer("\\");
        log("step 2|start com.quillet.remoteassistant");
        start();
        return 2;
    }
    log("step 2|安装结果未知" + output);
    buffer(">");
    return 0;
}

int CompanionBootstrap::firstInstallPass(int state, const std::string& output) {
    if (state == 1) {
        m_needs.shell.ShellStatus();
        popup("开始初始化... ...");
        if (!kill(false)) {
            return 0;
        }
        log("step 1| kill com.quillet.remoteassistant");
        buffer("\\");
        if (!start()) {
            return 0;
        }
        log("step 1|start com.quillet.remoteassistant");
        log("step 1|" + m_needs.shell.output());
        return 2;
    }
    if (state == 2) {
        if (Has(output, kNoServiceStarted)) {
            log("step 2|Error: Not found; no service started");
            buffer("-");
            popup("正在初始化插件... ...");
            buffer("\\");
            log("step 2|uninstall com.quillet.remoteassistant");
            if (!uninstall()) {
                return 0;
            }
            log("step 2|install com.quillet.remoteassistant");
            buffer("\\");
            popup(kConfirmOnTv);
            if (!install()) {
                return 0;
            }
            log("step 2|" + m_needs.shell.output());
            return 3;
        }
        if (Has(output, "does not exist")) {
            log("step 2|does not exist");
            buffer("\\");
            writeApk();
            log("step 2|d写到文件");
            popup("正在安装插件... ...");
            buffer("\\");
            log("step 2|kill com.quillet.remoteassistant");
            if (!kill()) {
                return 0;
            }
            log("step 2|" + m_needs.shell.output());
            popup(kConfirmOnTv);
            buffer("\\");
            log("step 2|install com.quillet.remoteassistant");
            if (!install()) {
                return 0;
            }
            log("step 2|" + m_needs.shell.output());
            return 3;
        }
        if (Has(output, "Error")) {
            log("step 2|Error " + output);
            buffer("\\");
            writeApk();
            popup("正在初始化插件... ...");
            buffer("\\");
            log("step 2|kill com.quillet.remoteassistant");
            if (!kill()) {
                return 0;
            }
            buffer("\\");
            popup(kConfirmOnTv);
            log("step 2|install com.quillet.remoteassistant");
            if (!install()) {
                return 0;
            }
            log("step 2|" + m_needs.shell.output());
            return 3;
        }
        if (output.find(kStarted) != std::string::npos) {
            log("step 2|再去一次vertion,");
            if (!m_needs.query(kGetVersion, 3).empty()) {
                popup("初始化成功");
                log("step 2|初始化成功");
            } else {
                log("step 2|依然未取到返回");
                log("vad启动结果未知,盒子不允许该服务,也许等待盒子服务架设成功");
            }
            return 0;
        }
        log("step 2|未找到任何关键字" + output);
        return 0;
    }
    // state 3: the install's result.
    const bool certificates = Has(output, "INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES");
    const bool downgrade = Has(output, "Failure [INSTALL_FAILED_VERSION_DOWNGRADE]");
    const bool noDevice = Has(output, "error: device not found");
    if (certificates || downgrade || noDevice) {
        log(certificates ? "vad安装出错,签名冲突|" + output
            : downgrade  ? "vad安装出错,已安装高版本vad|" + output
                         : "vad安装失败|" + output);
        buffer("\\");
        if (noDevice) {
            log("step 2|kill com.quillet.remoteassistant");
        }
        if (!kill()) {
            return 0;
        }
        if (!certificates) {
            log("step 2|uninstall com.quillet.remoteassistant");
        }
        buffer("\\");
        if (!uninstall()) {
            return 0;
        }
        if (!certificates) {
            log("step 2|install com.quillet.remoteassistant");
        }
        buffer("\\");
        if (!install()) {
            return 0;
        }
        log(certificates ? "vad已卸载,并安装现有版本完成|" + m_needs.shell.output()
            : downgrade  ? "vad已卸载,并安装现有版本|" + m_needs.shell.output()
                         : "step 2|插件卸载并安装现有版本");
        return 3;
    }
    if (Has(output, "failure") || Has(output, "error")) {
        log("step 2|vad安装失败|" + output);
        return 0;
    }
    if (Has(output, "Success")) {
        buffer("-");
        popup("正在启动插件... ...");
        buffer("\\");
        log("step 2|start com.quillet.remoteassistant");
        start();
        return 2;
    }
    // An install result that matches nothing ends the machine, as the
    // update machine does, instead of reading the same output for ever.
    log("step 2|安装结果未知" + output);
    return 0;
}

bool CompanionBootstrap::kill(bool wait) {
    return send(*adb_commands::KillApp(m_needs.state.currentIp(), kPackage), wait, kCommandLimit);
}

bool CompanionBootstrap::start() {
    return send(*adb_commands::StartActivity(m_needs.state.currentIp(), kPackage, kActivity), true,
                kCommandLimit);
}

bool CompanionBootstrap::uninstall(bool wait) {
    return send(*adb_commands::Uninstall(m_needs.state.currentIp(), kPackage), wait, kCommandLimit);
}

bool CompanionBootstrap::install() {
    return send(adb_commands::Install(m_needs.state.currentIp(), m_needs.apkPath), true,
                kInstallLimit);
}

bool CompanionBootstrap::send(const std::string& line, bool wait, std::chrono::seconds limit) {
    if (jumpedOut()) {
        return false;
    }
    m_needs.shell.SendCommand(line);
    return !wait || WaitForPrompt(limit);
}

bool CompanionBootstrap::WaitForPrompt(std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (jumpedOut()) {
            // The user asked to stop: what the box still runs for us ends too.
            m_needs.shell.EndRunningCommand();
            return false;
        }
        if (m_needs.shell.idle()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline || m_needs.screen.programClosing()) {
            // Nobody is left to wait for it: the command is ended.
            log("等待命令结束超时,结束命令|" + m_needs.shell.output());
            m_needs.shell.EndRunningCommand();
            m_ended = true;
            return false;
        }
        m_needs.screen.processPendingEvents();
        m_needs.shell.Pause(kPromptPoll);
    }
}

bool CompanionBootstrap::jumpedOut() {
    if (m_ended) {
        return true;
    }
    if (aborted()) {
        log("手动跳出");
        m_ended = true;
        return true;
    }
    return false;
}

void CompanionBootstrap::popup(std::string_view text) {
    m_needs.screen.ShowInstalling(std::string(text), text == kConfirmOnTv);
}

void CompanionBootstrap::log(std::string_view text) {
    m_needs.log.WriteLog(log_category::kTask, text);
}

void CompanionBootstrap::buffer(std::string_view marker) {
    m_needs.shell.resetOutput(marker);
}

bool CompanionBootstrap::writeApk() {
    const bool written = m_needs.writeApk && m_needs.writeApk();
    if (!written) {
        log("写出VizorerOVI失败: " + m_needs.apkPath);
    }
    return written;
}

}  // namespace qvpc
