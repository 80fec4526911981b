#include "updater/elf_check.h"

#include <elf.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace qvpc::updater {
namespace {

constexpr std::size_t kMostProgramHeaders = 4096;

bool ReadAt(std::ifstream& in, std::uint64_t offset, void* target, std::size_t size) {
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(static_cast<char*>(target), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount()) == size;
}

bool Inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

// Our own class and machine, from our own executable.
bool OwnHeader(Elf64_Ehdr& header) {
    std::ifstream self("/proc/self/exe", std::ios::binary);
    return ReadAt(self, 0, &header, sizeof header);
}

template <class Header, class ProgramHeader>
bool CheckLayout(std::ifstream& in, std::uint64_t size, std::string& why) {
    Header header{};
    if (!ReadAt(in, 0, &header, sizeof header)) {
        why = "程序文件不完整";
        return false;
    }
    if (header.e_type != ET_EXEC && header.e_type != ET_DYN) {
        why = "不是可以运行的程序";
        return false;
    }
    if (header.e_phentsize != sizeof(ProgramHeader) || header.e_phnum == 0 ||
        header.e_phnum > kMostProgramHeaders ||
        !Inside(header.e_phoff, std::uint64_t{header.e_phnum} * header.e_phentsize, size) ||
        (header.e_shoff != 0 &&
         !Inside(header.e_shoff, std::uint64_t{header.e_shnum} * header.e_shentsize, size))) {
        why = "程序文件不完整";
        return false;
    }
    std::vector<ProgramHeader> segments(header.e_phnum);
    if (!ReadAt(in, header.e_phoff, segments.data(), segments.size() * sizeof(ProgramHeader))) {
        why = "程序文件不完整";
        return false;
    }
    for (const ProgramHeader& segment : segments) {
        if (!Inside(segment.p_offset, segment.p_filesz, size)) {
            why = "程序文件不完整";
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsCompleteProgram(const std::string& path, std::string& why) {
    struct stat info {};
    std::ifstream in(path, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !in ||
        !ReadAt(in, 0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        why = "不是程序文件";
        return false;
    }
    Elf64_Ehdr own{};
    if (!OwnHeader(own)) {
        why = "无法读取更新程序自身";
        return false;
    }
    // e_machine sits at the same place in both classes.
    Elf32_Half machine = 0;
    if (ident[EI_CLASS] != own.e_ident[EI_CLASS] || ident[EI_DATA] != own.e_ident[EI_DATA] ||
        !ReadAt(in, offsetof(Elf64_Ehdr, e_machine), &machine, sizeof machine) ||
        machine != own.e_machine) {
        why = "程序不是为这台电脑编译的";
        return false;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    return ident[EI_CLASS] == ELFCLASS64 ? CheckLayout<Elf64_Ehdr, Elf64_Phdr>(in, size, why)
                                         : CheckLayout<Elf32_Ehdr, Elf32_Phdr>(in, size, why);
}

}  // namespace qvpc::updater
