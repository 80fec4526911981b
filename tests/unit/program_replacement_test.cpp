#include "updater/program_replacement.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace qvpc::updater {
namespace {

class ProgramReplacementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(m_program, "old program");
        ::chmod(m_program.c_str(), 0750);
        test::WriteFile(m_new, "new program");
    }

    mode_t modeOf(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    test::TempDir m_dir;
    std::string m_program = m_dir.path() + "/qvpc";
    std::string m_new = m_dir.path() + "/download";
};

TEST_F(ProgramReplacementTest, TheOldStaysBesideUntilTheNewRuns) {
    ProgramReplacement replacement(m_program);
    std::string why;
    ASSERT_TRUE(replacement.install(m_new, why)) << why;
    EXPECT_EQ(test::ReadFile(m_program), "new program");
    EXPECT_EQ(modeOf(m_program), 0750u);
    EXPECT_EQ(test::ReadFile(m_program + ".old"), "old program");
    replacement.commit();
    EXPECT_FALSE(std::filesystem::exists(m_program + ".old"));
    EXPECT_EQ(test::ReadFile(m_program), "new program");
}

TEST_F(ProgramReplacementTest, RollingBackPutsTheOldOneBack) {
    ProgramReplacement replacement(m_program);
    std::string why;
    ASSERT_TRUE(replacement.install(m_new, why)) << why;
    ASSERT_TRUE(replacement.rollBack());
    EXPECT_EQ(test::ReadFile(m_program), "old program");
    EXPECT_FALSE(std::filesystem::exists(m_program + ".old"));
}

TEST_F(ProgramReplacementTest, NothingChangesWhenTheNewOneCannotBeRead) {
    ProgramReplacement replacement(m_program);
    std::string why;
    EXPECT_FALSE(replacement.install(m_dir.path() + "/missing", why));
    EXPECT_EQ(test::ReadFile(m_program), "old program");
    EXPECT_FALSE(std::filesystem::exists(m_program + ".old"));
    EXPECT_FALSE(ProgramReplacement(m_dir.path() + "/none").install(m_new, why));
    EXPECT_EQ(why, "找不到要更新的助手程序");
}

TEST(UsersToReplaceTest, ASystemProgramOrALinkIsNotTheUsers) {
    test::TempDir dir;
    const std::string own = dir.path() + "/qvpc";
    test::WriteFile(own, "program");
    std::filesystem::create_symlink(own, dir.path() + "/link");
    EXPECT_TRUE(IsUsersToReplace(own));
    for (const std::string& path : {std::string("/usr/bin/qvpc"), std::string("/usr/bin/true"),
                                    dir.path() + "/link", dir.path() + "/missing", dir.path()}) {
        EXPECT_FALSE(IsUsersToReplace(path)) << path;
    }
}

}  // namespace
}  // namespace qvpc::updater
