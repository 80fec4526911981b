#include "updater/program_replacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/atomic_file.h"

namespace qvpc::updater {
namespace {

// No program of ours comes near this; a file that large is not one.
constexpr std::uintmax_t kLargestProgram = 512ull * 1024 * 1024;

}  // namespace

bool IsUsersToReplace(const std::string& programPath) {
    struct stat info {};
    const std::string folder = std::filesystem::path(programPath).parent_path().string();
    return !programPath.starts_with("/usr/") && ::lstat(programPath.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
           ::access(folder.c_str(), W_OK) == 0;
}

ProgramReplacement::ProgramReplacement(std::string programPath)
    : m_programPath(std::move(programPath)) {}

bool ProgramReplacement::install(const std::string& newProgramPath, std::string& why) {
    struct stat old {};
    std::error_code ec;
    if (::lstat(m_programPath.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) {
        why = "找不到要更新的助手程序";
        return false;
    }
    if (std::filesystem::file_size(newProgramPath, ec) > kLargestProgram || ec) {
        why = "下载的程序太大";
        return false;
    }
    std::ifstream in(newProgramPath, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.eof() && !in) {
        why = "无法读取下载的程序";
        return false;
    }
    // A second name for the old file keeps it whole while the new one is put
    // over the first name in one step.
    std::filesystem::remove(backupPath(), ec);
    if (::link(m_programPath.c_str(), backupPath().c_str()) != 0) {
        why = "无法保留原版本";
        return false;
    }
    if (!WriteFileReplacing(m_programPath, bytes, (old.st_mode & 07777) | S_IXUSR)) {
        std::filesystem::remove(backupPath(), ec);
        why = "无法写入新版本";
        return false;
    }
    m_installed = true;
    return true;
}

void ProgramReplacement::commit() {
    std::error_code ec;
    std::filesystem::remove(backupPath(), ec);
    m_installed = false;
}

bool ProgramReplacement::rollBack() {
    if (!m_installed) {
        return true;
    }
    m_installed = std::rename(backupPath().c_str(), m_programPath.c_str()) != 0;
    return !m_installed;
}

}  // namespace qvpc::updater
