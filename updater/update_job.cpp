#include "updater/update_job.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>

#include "base/log.h"
#include "updater/debian_package.h"
#include "updater/download.h"
#include "updater/download_kind.h"
#include "updater/elf_check.h"
#include "updater/process_wait.h"
#include "updater/program_replacement.h"
#include "updater/program_start.h"
#include "updater/tar_archive.h"

namespace qvpc::updater {
namespace {

constexpr std::string_view kLog = "更新程序";
constexpr std::uint64_t kLargestDownload = 512ull * 1024 * 1024;

// Files of the job's own, removed however it ends.
class WorkFiles {
  public:
    ~WorkFiles() {
        for (const std::string& path : m_paths) {
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
    }
    const std::string& add(std::string path) { return m_paths.emplace_back(std::move(path)); }

  private:
    std::vector<std::string> m_paths;
};

// What a version may put into a file name.
std::string FileNamePart(const std::string& version) {
    std::string part;
    for (const char c : version) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
            c == '~') {
            part += c;
        }
    }
    return part.empty() || part.starts_with('.') ? "new" : part.substr(0, 64);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The program being waited for runs from the path named, when it still runs:
// an order replaces the program that gave it and nothing else.
bool RunsFrom(pid_t pid, const std::string& path) {
    std::error_code ec;
    const std::filesystem::path exe =
        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    return pid <= 0 || ec || exe == path;
}

}  // namespace

UpdateJob::UpdateJob(UpdateJobSettings settings, Log& log, UpdateReport& report)
    : m_settings(std::move(settings)), m_log(log), m_report(report) {}

std::string UpdateJob::workFile(const std::string& name) const {
    return m_settings.workDir + "/" + name;
}

void UpdateJob::note(const std::string& text) {
    m_log.WriteLog(kLog, text);
    m_report.status(text);
}

UpdateOutcome UpdateJob::run() {
    const UpdateOrder& order = m_settings.order;
    // Each update's log starts empty, as the assistant's does.
    m_log.WriteLog(kLog,
                   "更新到版本" + order.version + ": " + order.executablePath + " <- " + order.url,
                   true);
    // Only the program named, and only a program: never a link, a folder or
    // anything that is not a whole executable of this computer.
    std::string why;
    if (!order.executablePath.starts_with('/') || !IsRegularFile(order.executablePath) ||
        !IsCompleteProgram(order.executablePath, why) ||
        !RunsFrom(m_settings.waitPid, order.executablePath)) {
        m_log.WriteLog(kLog, "要更新的程序无效: " + order.executablePath);
        return {UpdateOutcome::Kind::Failed,
                "更新信息有误,没有找到要更新的助手程序,没有做任何改动。"};
    }
    note("正在下载新版本...");
    WorkFiles files;
    const std::string& downloaded = files.add(workFile("update_QVPC.download"));
    const DownloadResult download = Download(order.url, downloaded, kLargestDownload,
                                             [this](std::uint64_t received, std::uint64_t total) {
                                                 m_report.progress(received, total);
                                             });
    if (!download.ok) {
        return fail("下载新版本失败: " + download.error + "。");
    }
    m_log.WriteLog(kLog, "已下载 " + std::to_string(download.bytes) + " 字节");
    const DownloadKind kind = KindOf(downloaded);
    if (kind == DownloadKind::DebianPackage || !m_settings.usersToReplace(order.executablePath)) {
        return installPackage(downloaded);
    }
    if (kind == DownloadKind::Unknown) {
        return fail("下载的文件不是程序,也不是压缩包。");
    }
    return replaceProgram(downloaded, kind == DownloadKind::Archive);
}

UpdateOutcome UpdateJob::replaceProgram(const std::string& downloaded, bool archive) {
    const std::string& programPath = m_settings.order.executablePath;
    WorkFiles files;
    std::string program = downloaded;
    std::string why;
    if (archive) {
        program = files.add(workFile("update_QVPC.program"));
        if (!ExtractProgram(downloaded, std::filesystem::path(programPath).filename().string(),
                            program, kLargestDownload, why)) {
            return fail(why + "。");
        }
    }
    if (!IsCompleteProgram(program, why)) {
        return fail("下载的新版本不能用: " + why + "。");
    }
    note("正在等待助手退出...");
    if (!waitForOldProgram()) {
        return fail("助手没有退出,无法替换。");
    }
    note("正在安装新版本...");
    ProgramReplacement replacement(programPath);
    if (!replacement.install(program, why)) {
        return fail(why + "。");
    }
    if (const std::optional<pid_t> started = StartProgram({programPath}, m_settings.startWatch)) {
        replacement.commit();
        m_log.WriteLog(kLog, "新版本已启动,进程号" + std::to_string(*started));
        return {UpdateOutcome::Kind::Updated, "助手已更新到版本" + m_settings.order.version + "。"};
    }
    // The new version does not run here: the old one goes back in its place.
    if (!replacement.rollBack()) {
        m_log.WriteLog(kLog, "无法恢复原版本: " + replacement.backupPath());
        return {UpdateOutcome::Kind::Failed,
                "新版本无法启动,原版本也没能恢复。\n原版本保存在: " + replacement.backupPath()};
    }
    return fail("新版本无法启动,已恢复原版本。");
}

UpdateOutcome UpdateJob::installPackage(const std::string& downloaded) {
    if (KindOf(downloaded) != DownloadKind::DebianPackage) {
        return fail(
            "这个助手是用安装包装到系统里的,只能用新的安装包更新,"
            "更新服务器提供的却不是安装包。\n请到官网下载新版本的安装包。");
    }
    if (!IsCompleteDebianPackage(downloaded)) {
        return fail("下载的安装包不完整。");
    }
    const std::string name =
        std::filesystem::path(m_settings.order.executablePath).filename().string();
    const std::string package =
        workFile(name + "_" + FileNamePart(m_settings.order.version) + ".deb");
    std::error_code ec;
    std::filesystem::rename(downloaded, package, ec);
    if (ec) {
        return fail("无法保存下载的安装包。");
    }
    m_log.WriteLog(kLog, "安装包已保存: " + package);
    // The old program runs again meanwhile; the installer replaces it.
    waitForOldProgram();
    if (m_oldEnded) {
        StartProgram({m_settings.order.executablePath}, m_settings.startWatch);
    }
    if (const std::optional<std::string> installer =
            HandToInstaller(package, m_settings.installers)) {
        m_log.WriteLog(kLog, "安装包已交给 " + *installer);
        return {UpdateOutcome::Kind::PackageHandedOn, "新版本的安装包已下载到:\n" + package +
                                                          "\n已交给软件安装器(" + *installer +
                                                          "),请按它的提示完成安装。"};
    }
    return {UpdateOutcome::Kind::PackageSaved,
            "新版本的安装包已下载到:\n" + package +
                "\n请双击它用软件安装器安装,或在终端中运行:\nsudo apt install \"" + package + "\""};
}

bool UpdateJob::waitForOldProgram() {
    if (!m_waited) {
        m_waited = true;
        m_oldEnded = WaitForProcessEnd(m_settings.waitPid, m_settings.waitLimit);
    }
    return m_oldEnded;
}

UpdateOutcome UpdateJob::fail(const std::string& reason) {
    m_log.WriteLog(kLog, reason);
    std::string message = reason + "\n原版本没有改动";
    if (waitForOldProgram() &&
        StartProgram({m_settings.order.executablePath}, m_settings.startWatch)) {
        message += ",已重新启动。";
    } else {
        message += "。";
    }
    return {UpdateOutcome::Kind::Failed, message};
}

}  // namespace qvpc::updater
