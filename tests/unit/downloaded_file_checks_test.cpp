// What the updater accepts as a download: told apart by content, and whole.

#include <gtest/gtest.h>

#include "support/archive_files.h"
#include "support/temp_dir.h"
#include "updater/debian_package.h"
#include "updater/download_kind.h"
#include "updater/elf_check.h"

namespace qvpc::updater {
namespace {

// This test program itself, read once by the tests that need it: every
// other test runs in a process of its own and need not read it.
const std::string& Program() {
    static const std::string program = test::ReadFile("/proc/self/exe");
    return program;
}

class DownloadedFileTest : public ::testing::Test {
  protected:
    std::string file(const std::string& content) {
        const std::string path = m_dir.path() + "/download" + std::to_string(m_files++);
        test::WriteFile(path, content);
        return path;
    }

    test::TempDir m_dir;
    int m_files = 0;
};

TEST_F(DownloadedFileTest, KindIsToldByTheFirstBytes) {
    struct Case {
        std::string content;
        DownloadKind kind;
    };
    const Case cases[] = {
        {Program(), DownloadKind::Program},
        {test::TarArchive({{"qvpc", "x"}}, true), DownloadKind::Archive},
        {test::TarArchive({{"qvpc", "x"}}, false), DownloadKind::Archive},
        {test::DebianPackage(), DownloadKind::DebianPackage},
        {"<html><body>404 Not Found</body></html>", DownloadKind::Unknown},
        {"", DownloadKind::Unknown},
        {"!<arch>\nother", DownloadKind::Unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KindOf(file(c.content)), c.kind) << c.content.substr(0, 20);
    }
}

TEST_F(DownloadedFileTest, AWholeProgramOfThisComputerIsComplete) {
    std::string why;
    EXPECT_TRUE(IsCompleteProgram(file(Program()), why)) << why;
}

TEST_F(DownloadedFileTest, ACutOrForeignProgramIsNot) {
    std::string otherMachine = Program();
    otherMachine[18] = static_cast<char>(otherMachine[18] + 1);  // e_machine
    struct Case {
        std::string content;
        const char* why;
    };
    const Case cases[] = {
        {Program().substr(0, Program().size() / 2), "程序文件不完整"},
        {Program().substr(0, 100), "程序文件不完整"},
        {otherMachine, "程序不是为这台电脑编译的"},
        {"#!/bin/sh\necho hi\n", "不是程序文件"},
        {"", "不是程序文件"},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(IsCompleteProgram(file(c.content), why)) << c.why;
        EXPECT_EQ(why, c.why);
    }
}

TEST_F(DownloadedFileTest, ADebianPackageIsCompleteOnlyWithItsThreeMembersWhole) {
    const std::string package = test::DebianPackage();
    EXPECT_TRUE(IsCompleteDebianPackage(file(package)));
    const std::string broken[] = {
        package.substr(0, package.size() - 10),
        package + "trailing bytes",
        test::ArArchive({{"debian-binary", "2.0\n"}, {"control.tar.gz", "x"}}),
        test::ArArchive(
            {{"debian-binary", "9.9\n"}, {"control.tar.gz", "x"}, {"data.tar.xz", "y"}}),
        test::ArArchive(
            {{"control.tar.gz", "x"}, {"debian-binary", "2.0\n"}, {"data.tar.xz", "y"}}),
        "!<arch>\n",
    };
    for (const std::string& content : broken) {
        EXPECT_FALSE(IsCompleteDebianPackage(file(content))) << content.size();
    }
}

}  // namespace
}  // namespace qvpc::updater
