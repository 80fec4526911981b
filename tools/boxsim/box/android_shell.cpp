#include "boxsim/box/android_shell.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "boxsim/box/dumpsys_package.h"
#include "boxsim/box/listing.h"
#include "boxsim/box/package_order.h"
#include "boxsim/box/pm_options.h"

namespace qvpc::boxsim {

namespace {

constexpr const char* kShell = "/system/bin/sh";

// flattenToShortString: the class shortened to ".Name" inside its package.
std::string shortComponent(const std::string& package, const std::string& className) {
    if (className.rfind(package + ".", 0) == 0) {
        return package + "/" + className.substr(package.size());
    }
    return package + "/" + className;
}

std::string commandName(const std::string& word) {
    for (std::string_view dir : {"/system/bin/", "/system/xbin/", "/sbin/"}) {
        if (word.rfind(dir, 0) == 0 && word.size() > dir.size()) {
            return word.substr(dir.size());
        }
    }
    return word;
}

std::optional<std::string> normalize(const std::string& path) {
    return VirtualFiles::normalize(path.empty() || path[0] == '/' ? path : "/" + path);
}

}  // namespace

std::string AndroidShell::Output::text(int fd) const {
    std::string out;
    for (const auto& [stream, text] : chunks) {
        if (fd == 0 || stream == fd) {
            out += text;
        }
    }
    return out;
}

std::string AndroidShell::prompt() const {
    const BoxConfig& c = m_box.config();
    return c.rooted ? "root@" + c.hostname + ":/ # " : "shell@" + c.hostname + ":/ $ ";
}

AndroidShell::Result AndroidShell::run(std::string_view line) {
    constexpr int kMaxSubstitutionDepth = 8;
    const Substitute substitute = [this](std::string_view command) -> std::string {
        if (m_depth >= kMaxSubstitutionDepth) {
            return {};
        }
        AndroidShell inner(m_box, m_cancelled);
        inner.m_depth = m_depth + 1;
        return inner.run(command).output;
    };
    Result result;
    ParseResult parsed = ParseShellLine(line, substitute);
    if (!parsed.error.empty()) {
        result.output = std::string(kShell) + ": " + parsed.error + "\n";
        return result;
    }
    int status = 0;
    for (const Pipeline& pipeline : parsed.pipelines) {
        if ((pipeline.connector == Pipeline::Connector::IfSuccess && status != 0) ||
            (pipeline.connector == Pipeline::Connector::IfFailure && status == 0)) {
            continue;
        }
        std::string input;
        for (size_t i = 0; i < pipeline.commands.size(); ++i) {
            Output out = runSimple(pipeline.commands[i], input, result.exit);
            status = out.status;
            if (i + 1 < pipeline.commands.size()) {
                input = out.text(1);
                result.output += out.text(2);  // a pipe carries stdout only
            } else {
                result.output += out.text(0);
            }
            if (result.exit) {
                return result;
            }
        }
    }
    return result;
}

AndroidShell::Output AndroidShell::runSimple(const SimpleCommand& command, const std::string& input,
                                             bool& exit) {
    std::string stdinText = input;
    for (const Redirection& r : command.redirections) {
        if (r.fd == 0 && r.target != "/dev/null") {
            auto path = normalize(r.target);
            auto data = path ? m_box.readFile(*path) : nullptr;
            if (!data) {
                Output o;
                o.err(std::string(kShell) + ": can't open " + r.target +
                      ": No such file or directory\n");
                o.status = 1;
                return o;
            }
            stdinText = *data;
        } else if (r.fd == 0) {
            stdinText.clear();
        }
    }
    Output out = command.words.empty() ? Output{} : dispatch(command.words, stdinText, exit);

    // Apply output redirections in order, as sh does.
    Output shaped;
    shaped.status = out.status;
    std::string toFile[3];
    int route[3] = {0, 1, 2};  // where stdout (1) and stderr (2) end: 1, 2, or -1 for a file/null
    std::string fileOf[3];
    bool appendOf[3] = {false, false, false};
    for (const Redirection& r : command.redirections) {
        if (r.fd != 1 && r.fd != 2) {
            continue;
        }
        if (r.target == "&1" || r.target == "&2") {
            const int to = r.target[1] - '0';
            route[r.fd] = route[to];
            fileOf[r.fd] = fileOf[to];
            appendOf[r.fd] = appendOf[to];
        } else {
            route[r.fd] = -1;
            fileOf[r.fd] = r.target;
            appendOf[r.fd] = r.append;
        }
    }
    for (const auto& [stream, text] : out.chunks) {
        const int fd = stream == 2 ? 2 : 1;
        if (route[fd] > 0) {
            shaped.chunks.emplace_back(route[fd], text);
        } else {
            toFile[fd] += text;
        }
    }
    for (int fd = 1; fd <= 2; ++fd) {
        if (route[fd] != -1 || fileOf[fd] == "/dev/null") {
            continue;
        }
        auto path = normalize(fileOf[fd]);
        std::string data = toFile[fd];
        if (fd == 2 && fileOf[2] == fileOf[1]) {
            continue;  // written together with stdout below
        }
        if (fd == 1 && fileOf[2] == fileOf[1]) {
            data = out.text(0);
        }
        if (path && appendOf[fd]) {
            if (auto old = m_box.readFile(*path)) {
                data = *old + data;
            }
        }
        const std::string error = path ? m_box.writeFile(*path, data) : "No such file or directory";
        if (!error.empty()) {
            shaped.err(std::string(kShell) + ": can't create " + fileOf[fd] + ": " + error + "\n");
            shaped.status = 1;
        }
    }
    return shaped;
}

AndroidShell::Output AndroidShell::dispatch(const Args& args, const std::string& input,
                                            bool& exit) {
    const std::string name = commandName(args[0]);
    Output o;
    if (name == "exit") {
        exit = true;
        return o;
    }
    if (name == "getprop") {
        return getprop(args);
    }
    if (name == "cat") {
        return cat(args, input);
    }
    if (name == "ls") {
        return ls(args);
    }
    if (name == "rm") {
        return rm(args);
    }
    if (name == "echo") {
        return echo(args);
    }
    if (name == "grep") {
        return grep(args, input);
    }
    // The Java tools start a Dalvik that some boxes' linker warns about
    // on every run, before the tool prints anything.
    const bool java = name == "pm" || name == "am" || name == "monkey";
    if (java && m_box.faults().linkerWarning) {
        Output warned;
        warned.err(
            "WARNING: linker: libdvm.so has text relocations. This is wasting memory and is a "
            "security risk. Please fix.\n");
        Output rest = name == "pm" ? pm(args) : name == "am" ? am(args) : monkey(args);
        warned.chunks.insert(warned.chunks.end(), rest.chunks.begin(), rest.chunks.end());
        warned.status = rest.status;
        return warned;
    }
    if (name == "pm") {
        return pm(args);
    }
    if (name == "dumpsys") {
        return dumpsys(args);
    }
    if (name == "am") {
        return am(args);
    }
    if (name == "screencap" && !m_box.faults().screencapMissing) {
        return screencap(args);
    }
    if (name == "monkey") {
        return monkey(args);
    }
    if (name == "id") {
        o.out(m_box.config().rooted ? "uid=0(root) gid=0(root) context=u:r:shell:s0\n"
                                    : "uid=2000(shell) gid=2000(shell) groups=1003(graphics),"
                                      "1004(input),1007(log),1011(adb),1015(sdcard_rw),"
                                      "1028(sdcard_r),3001(net_bt_admin),3002(net_bt),"
                                      "3003(inet),3006(net_bw_stats) context=u:r:shell:s0\n");
        return o;
    }
    if (name == "wm" && args.size() >= 2 && args[1] == "size") {
        o.out("Physical size: " + std::to_string(m_box.config().screenWidth) + "x" +
              std::to_string(m_box.config().screenHeight) + "\n");
        return o;
    }
    if (name == "input" || name == "true" || name == "sync" || name == "mkdir" || name == "chmod") {
        return o;
    }
    if (name == "false") {
        o.status = 1;
        return o;
    }
    if (name == "sleep") {
        const int seconds = args.size() > 1 ? std::clamp(std::atoi(args[1].c_str()), 0, 30) : 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < until && !(m_cancelled && m_cancelled())) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return o;
    }
    if (name == "reboot") {
        // The canary of hostile names: whatever runs it is recorded, and
        // the box goes on.
        std::string words;
        for (const std::string& a : args) {
            words += (words.empty() ? "" : " ") + a;
        }
        m_box.record("reboot", words);
        if (!m_box.config().rooted) {
            o.err("reboot: Operation not permitted\n");
            o.status = 1;
        }
        return o;
    }
    if (name == "su" && m_box.config().rooted) {
        if (args.size() >= 3 && args[1] == "-c") {
            AndroidShell inner(m_box, m_cancelled);
            o.out(inner.run(args[2]).output);
        }
        return o;
    }
    o.err(std::string(kShell) + ": " + args[0] + ": not found\n");
    o.status = 127;
    return o;
}

AndroidShell::Output AndroidShell::getprop(const Args& args) {
    Output o;
    const auto props = m_box.properties();
    if (args.size() == 1) {
        for (const auto& [key, value] : props) {
            o.out("[" + key + "]: [" + value + "]\n");
        }
        return o;
    }
    auto it = props.find(args[1]);
    o.out((it != props.end() ? it->second : (args.size() > 2 ? args[2] : "")) + "\n");
    return o;
}

AndroidShell::Output AndroidShell::cat(const Args& args, const std::string& input) {
    Output o;
    if (args.size() == 1) {
        o.out(input);
        return o;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        auto path = normalize(args[i]);
        auto data = path ? m_box.readFile(*path) : nullptr;
        if (data) {
            o.out(*data);
        } else {
            const bool dir = path && m_box.stat(*path);
            o.err(args[i] + (dir ? ": Is a directory\n" : ": No such file or directory\n"));
            o.status = 1;
        }
    }
    return o;
}

AndroidShell::Output AndroidShell::ls(const Args& args) {
    Output o;
    bool longFormat = false;
    Args paths;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '-') {
            longFormat = longFormat || args[i].find('l') != std::string::npos;
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.empty()) {
        paths.push_back("/");
    }
    for (const std::string& p : paths) {
        auto path = normalize(p);
        auto entry = path ? m_box.stat(*path) : std::nullopt;
        if (!entry) {
            o.err(p + ": No such file or directory\n");
            o.status = 1;
            continue;
        }
        if (entry->mode != VirtualFiles::kDirMode) {
            // toolbox prints the path as given, or in long form its last part.
            o.out(longFormat ? LongListingLine(*path, *entry) : p + "\n");
            continue;
        }
        if (!m_box.mayList(*path)) {
            o.err("opendir failed, Permission denied\n");
            o.status = 1;
            continue;
        }
        for (const std::string& name : m_box.listDirectory(*path).value_or(Args{})) {
            const std::string child = (*path == "/" ? "" : *path) + "/" + name;
            o.out(longFormat
                      ? LongListingLine(child, m_box.stat(child).value_or(VirtualFiles::Entry{}))
                      : name + "\n");
        }
    }
    return o;
}

AndroidShell::Output AndroidShell::rm(const Args& args) {
    Output o;
    bool force = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 1 && args[i][0] == '-') {
            force = force || args[i].find('f') != std::string::npos;
            continue;
        }
        auto path = normalize(args[i]);
        const std::string error = path ? m_box.removeFile(*path) : "No such file or directory";
        if (!error.empty() && !(force && error == "No such file or directory")) {
            o.err("rm failed for " + args[i] + ", " + error + "\n");
            o.status = 1;
        }
    }
    return o;
}

AndroidShell::Output AndroidShell::echo(const Args& args) {
    Output o;
    size_t first = 1;
    bool newline = true;
    if (args.size() > 1 && args[1] == "-n") {
        newline = false;
        first = 2;
    }
    std::string text;
    for (size_t i = first; i < args.size(); ++i) {
        text += (i > first ? " " : "") + args[i];
    }
    o.out(text + (newline ? "\n" : ""));
    return o;
}

AndroidShell::Output AndroidShell::grep(const Args& args, const std::string& input) {
    Output o;
    bool invert = false;
    std::string pattern;
    bool havePattern = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-v") {
            invert = true;
        } else if (!havePattern) {
            pattern = args[i];
            havePattern = true;
        }
    }
    o.status = 1;
    size_t at = 0;
    while (at < input.size()) {
        size_t end = input.find('\n', at);
        end = end == std::string::npos ? input.size() : end + 1;
        const std::string line = input.substr(at, end - at);
        if ((line.find(pattern) != std::string::npos) != invert) {
            o.out(line);
            o.status = 0;
        }
        at = end;
    }
    return o;
}

AndroidShell::Output AndroidShell::pm(const Args& args) {
    Output o;
    const std::string sub = args.size() > 1 ? args[1] : "";
    if (sub == "install") {
        return pmInstall(args);
    }
    if (sub == "list" && args.size() > 2 && (args[2] == "packages" || args[2] == "package")) {
        return pmList(args);
    }
    if (sub == "uninstall") {
        return pmUninstall(args);
    }
    if (sub == "path") {
        PmOptions options(args, 2);
        while (options.next()) {
        }
        const auto name = options.nextArgument();
        if (!name) {
            o.err("Error: no package specified\n");
            o.status = 1;
        } else if (auto p = m_box.package(*name)) {
            o.out("package:" + p->apkPath + "\n");
        } else {
            o.status = 1;  // an unknown package prints nothing
        }
        return o;
    }
    o.err(
        "usage: pm list packages [-f] [-d] [-e] [-s] [-3] [-i] [-u] [FILTER]\n"
        "       pm path PACKAGE\n"
        "       pm install [-l] [-r] [-t] [-i INSTALLER_PACKAGE_NAME] [-s] [-f] [-d] PATH\n"
        "       pm uninstall [-k] PACKAGE\n");
    o.status = 1;
    return o;
}

AndroidShell::Output AndroidShell::pmUninstall(const Args& args) {
    Output o;
    std::optional<std::string> user;
    PmOptions options(args, 2);
    while (auto option = options.next()) {
        if (*option == "--user" && m_box.config().sdk >= kLollipopSdk) {
            user = options.nextArgument();
        } else if (*option != "-k") {
            o.err("Error: Unknown option: " + *option + "\n");
            o.status = 1;
            return o;
        }
    }
    const auto package = options.nextArgument();
    if (!package) {
        o.err("Error: no package specified\n");
        o.status = 1;
        return o;
    }
    const std::string failure = m_box.uninstall(*package);
    if (failure.empty()) {
        o.out("Success\n");
        return o;
    }
    o.status = 1;
    if (m_box.config().sdk < kLollipopSdk) {
        o.out("Failure\n");  // Android 4.x's pm names no reason
    } else if (user) {
        o.err("Failure - not installed for " + *user + "\n");
    } else {
        o.err("Failure [" + failure + "]\n");
    }
    return o;
}

AndroidShell::Output AndroidShell::pmInstall(const Args& args) {
    Output o;
    PackageManager::InstallOptions options;
    std::string file;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-r") {
            options.replace = true;
        } else if (a == "-d") {
            options.allowDowngrade = true;
        } else if (a == "-i" && i + 1 < args.size()) {
            ++i;
        } else if (a == "-l" || a == "-t" || a == "-s" || a == "-f") {
        } else if (!a.empty() && a[0] == '-') {
            o.err("Error: Unknown option: " + a + "\n");
            o.status = 1;
            return o;
        } else {
            file = a;
        }
    }
    if (file.empty()) {
        o.err("\tpkg: null\nError: no package specified\n");
        o.status = 1;
        return o;
    }
    // pm names the file on stderr before anything else.
    o.err("\tpkg: " + file + "\n");
    auto path = normalize(file);
    const std::string failure =
        path ? m_box.installFile(*path, options) : "INSTALL_FAILED_INVALID_URI";
    if (failure.empty()) {
        o.out("Success\n");
    } else {
        o.err("Failure [" + failure + "]\n");
        o.status = 1;
    }
    return o;
}

AndroidShell::Output AndroidShell::pmList(const Args& args) {
    Output o;
    bool paths = false;
    bool systemOnly = false;
    bool thirdPartyOnly = false;
    bool disabledOnly = false;
    bool installers = false;
    PmOptions options(args, 3);
    while (auto option = options.next()) {
        if (*option == "-f") {
            paths = true;
        } else if (*option == "-s") {
            systemOnly = true;
        } else if (*option == "-3") {
            thirdPartyOnly = true;
        } else if (*option == "-d") {
            disabledOnly = true;  // no package is disabled
        } else if (*option == "-i") {
            installers = true;
        } else if (*option == "--user") {
            options.nextArgument();
        } else if (*option != "-l" && *option != "-e" && *option != "-u") {
            o.err("Error: Unknown option: " + *option + "\n");
            return o;
        }
    }
    // Only the first word after the options filters; pm reads no more.
    const std::optional<std::string> filter = options.nextArgument();
    const std::vector<InstalledPackage> installed = m_box.packages();
    std::vector<const InstalledPackage*> order;
    for (const InstalledPackage& p : installed) {
        order.push_back(&p);
    }
    for (const InstalledPackage* p : PackageListingOrder(order, m_box.config().sdk)) {
        if ((systemOnly && !p->system) || (thirdPartyOnly && p->system) || disabledOnly) {
            continue;
        }
        if (filter && p->apk.packageName.find(*filter) == std::string::npos) {
            continue;
        }
        o.out("package:" + (paths ? p->apkPath + "=" : std::string()) + p->apk.packageName +
              (installers ? "  installer=null" : "") + "\n");
    }
    return o;
}

AndroidShell::Output AndroidShell::dumpsys(const Args& args) {
    Output o;
    if (args.size() < 2 || args[1] != "package") {
        o.err("Can't find service: " + (args.size() < 2 ? std::string() : args[1]) + "\n");
        return o;
    }
    const std::vector<InstalledPackage> installed = m_box.packages();
    std::vector<const InstalledPackage*> order;
    for (const InstalledPackage& p : installed) {
        order.push_back(&p);
    }
    const int sdk = m_box.config().sdk;
    // Options come first; the first other word names the package.
    std::string name;
    for (size_t i = 2; i < args.size() && name.empty(); ++i) {
        if (args[i].empty() || args[i][0] != '-') {
            name = args[i];
        }
    }
    o.out(DumpsysPackage(PackageListingOrder(order, sdk), sdk, name));
    return o;
}

AndroidShell::Output AndroidShell::am(const Args& args) {
    Output o;
    const std::string sub = args.size() > 1 ? args[1] : "";
    if (sub == "start") {
        return amStart(args, false);
    }
    if (sub == "startservice" || sub == "start-service") {
        return amStart(args, true);
    }
    if (sub == "kill" || sub == "force-stop") {
        for (size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--user" && i + 1 < args.size()) {
                ++i;
            } else {
                m_box.stopPackage(args[i]);
            }
        }
        return o;
    }
    if (sub == "kill-all") {
        return o;
    }
    if (sub == "broadcast") {
        o.out("Broadcasting: Intent { }\nBroadcast completed: result=0\n");
        return o;
    }
    o.err(sub.empty() ? "usage: am [subcommand] [options]\n"
                      : "Error: Unknown command: " + sub + "\n");
    o.status = 1;
    return o;
}

AndroidShell::Output AndroidShell::amStart(const Args& args, bool service) {
    Output o;
    std::string component;
    std::string action;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-n" && hasValue) {
            component = args[++i];
        } else if (a == "-a" && hasValue) {
            action = args[++i];
        } else if ((a == "-c" || a == "-d" || a == "-t" || a == "-f" || a == "--user" ||
                    a == "-e" || a == "--es" || a == "--ei") &&
                   hasValue) {
            i += (a == "-e" || a == "--es" || a == "--ei") && i + 2 < args.size() ? 2 : 1;
        } else if (!a.empty() && a[0] != '-' && component.empty() && action.empty()) {
            component = a;  // am start PKG/.Activity also works
        }
    }
    std::string package;
    std::string className;
    if (!component.empty()) {
        const size_t slash = component.find('/');
        if (slash == std::string::npos || slash == 0 || slash + 1 == component.size()) {
            o.err("Error: Bad component name: " + component + "\n");
            o.status = 1;
            return o;
        }
        package = component.substr(0, slash);
        className = component.substr(slash + 1);
        if (className[0] == '.') {
            className = package + className;
        }
    }
    std::string intent = "Intent { ";
    if (!action.empty()) {
        intent += "act=" + action + " ";
    }
    if (!package.empty()) {
        intent += "cmp=" + shortComponent(package, className) + " ";
    }
    intent += "}";

    if (service) {
        o.out("Starting service: " + intent + "\n");
        o.err("Error: Not found; no service started.\n");
        return o;
    }
    o.out("Starting: " + intent + "\n");
    if (package.empty()) {
        // Printed after FLAG_ACTIVITY_NEW_TASK was added to the intent.
        o.err("Error: Activity not started, unable to resolve " +
              intent.substr(0, intent.size() - 1) + "flg=0x10000000 }\n");
        return o;
    }
    switch (m_box.startActivity(package, className)) {
        case Box::StartResult::NotFound:
            o.err("Error type 3\nError: Activity class {" + package + "/" + className +
                  "} does not exist.\n");
            break;
        case Box::StartResult::AlreadyRunning:
            o.err(
                "Warning: Activity not started, its current task has been brought to the "
                "front\n");
            break;
        case Box::StartResult::Started:
            break;
    }
    return o;
}

AndroidShell::Output AndroidShell::screencap(const Args& args) {
    Output o;
    std::string file;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i][0] != '-') {
            file = args[i];
        }
    }
    if (file.empty()) {
        o.out(m_box.screenPng());
        return o;
    }
    auto path = normalize(file);
    const std::string error = path ? m_box.screencap(*path)
                                   : "Error opening file: " + file + " (No such file or directory)";
    if (!error.empty()) {
        o.err(error + "\n");
        o.status = 1;
    }
    return o;
}

AndroidShell::Output AndroidShell::monkey(const Args& args) {
    Output o;
    std::string package;
    for (size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "-p") {
            package = args[i + 1];
        }
    }
    auto p = package.empty() ? std::nullopt : m_box.package(package);
    if (!p || p->apk.activities.empty() ||
        m_box.startActivity(package, p->apk.activities.front()) == Box::StartResult::NotFound) {
        o.out("** No activities found to run, monkey aborted.\n");
        o.status = 1;
        return o;
    }
    o.out("Events injected: 1\n");
    return o;
}

}  // namespace qvpc::boxsim
