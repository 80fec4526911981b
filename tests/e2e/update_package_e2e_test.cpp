// The updater's job for a program installed into the system: it is never
// replaced; the new Debian package is fetched from servicesim, kept in the
// data folder and handed to the desktop's installer.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/log.h"
#include "support/archive_files.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"
#include "updater/update_job.h"

namespace qvpc::updater {
namespace {

using test::ServiceSimOptions;
using test::ServiceSimProcess;
using test::SimService;

class SilentReport : public UpdateReport {
  public:
    void status(const std::string&) override {}
    void progress(std::uint64_t, std::uint64_t) override {}
};

class UpdatePackageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& folder :
             {m_workDir, m_simData + "/update", m_dir.path() + "/system"}) {
            std::filesystem::create_directories(folder);
        }
        test::WriteFile(m_simData + "/apps.json", "{\"apps\": []}");
        std::filesystem::copy_file("/bin/true", m_program);
        test::WriteFile(m_installer, "#!/bin/sh\nprintf '%s' \"$*\" > \"" + m_dir.path() +
                                         "/installer-args\"\n");
        ::chmod(m_installer.c_str(), 0755);
    }

    UpdateOutcome update(const std::string& served, std::vector<InstallerCommand> installers,
                         pid_t waitPid = 0) {
        test::WriteFile(m_simData + "/update/new", served);
        ServiceSimProcess sim(ServiceSimOptions{.dataDir = m_simData});
        UpdateJobSettings settings{
            .order = {.version = "3.0.0.2",
                      .executablePath = m_program,
                      .url = sim.baseUrl(SimService::Download) + "/down/update/new"},
            .workDir = m_workDir,
            .waitPid = waitPid,
            .installers = std::move(installers),
            .usersToReplace = [](const std::string&) { return false; }};
        return UpdateJob(settings, m_log, m_report).run();
    }

    test::TempDir m_dir;
    std::string m_workDir = m_dir.path() + "/RiVod";
    std::string m_simData = m_dir.path() + "/sim";
    std::string m_program = m_dir.path() + "/system/qvpc";
    std::string m_package = m_workDir + "/qvpc_3.0.0.2.deb";
    std::string m_installer = m_dir.path() + "/installer";
    Log m_log{m_dir.path() + "/update.log"};
    SilentReport m_report;
};

TEST_F(UpdatePackageTest, TheNewPackageIsKeptAndHandedToTheInstaller) {
    const std::string program = test::ReadFile(m_program);
    const UpdateOutcome outcome =
        update(test::DebianPackage(), {{"no-such-installer"}, {m_installer}});
    EXPECT_EQ(outcome.kind, UpdateOutcome::Kind::PackageHandedOn);
    EXPECT_EQ(outcome.message, "新版本的安装包已下载到:\n" + m_package + "\n已交给软件安装器(" +
                                   m_installer + "),请按它的提示完成安装。");
    EXPECT_EQ(test::ReadFile(m_dir.path() + "/installer-args"), m_package);
    EXPECT_TRUE(test::ReadFile(m_package) == test::DebianPackage());
    EXPECT_TRUE(test::ReadFile(m_program) == program);
}

TEST_F(UpdatePackageTest, WithoutAnInstallerTheUserIsToldWhereThePackageIsAndHow) {
    const UpdateOutcome outcome = update(test::DebianPackage(), {{"no-such-installer"}});
    EXPECT_EQ(outcome.kind, UpdateOutcome::Kind::PackageSaved);
    EXPECT_EQ(outcome.message,
              "新版本的安装包已下载到:\n" + m_package +
                  "\n请双击它用软件安装器安装,或在终端中运行:\nsudo apt install \"" + m_package +
                  "\"");
}

TEST_F(UpdatePackageTest, AnythingButAWholePackageChangesNothing) {
    const std::string program = test::ReadFile(m_program);
    const std::string package = test::DebianPackage();
    struct Case {
        std::string served;
        std::string reason;
    };
    const Case cases[] = {
        {program,
         "这个助手是用安装包装到系统里的,只能用新的安装包更新,更新服务器提供的却不是安装包。\n"
         "请到官网下载新版本的安装包。"},
        {package.substr(0, package.size() - 20), "下载的安装包不完整。"},
    };
    for (const Case& c : cases) {
        const UpdateOutcome outcome = update(c.served, {{m_installer}});
        EXPECT_EQ(outcome.kind, UpdateOutcome::Kind::Failed);
        EXPECT_EQ(outcome.message, c.reason + "\n原版本没有改动,已重新启动。");
        EXPECT_TRUE(test::ReadFile(m_program) == program);
        EXPECT_FALSE(std::filesystem::exists(m_package));
        EXPECT_FALSE(std::filesystem::exists(m_dir.path() + "/installer-args"));
    }
}

TEST_F(UpdatePackageTest, AnOrderFromAnotherProgramThanTheOneNamedIsRefused) {
    // This test's own process runs, and it is not the program named.
    const UpdateOutcome outcome = update(test::DebianPackage(), {{m_installer}}, ::getpid());
    EXPECT_EQ(outcome.kind, UpdateOutcome::Kind::Failed);
    EXPECT_EQ(outcome.message, "更新信息有误,没有找到要更新的助手程序,没有做任何改动。");
    EXPECT_FALSE(std::filesystem::exists(m_package));
}

}  // namespace
}  // namespace qvpc::updater
