// The self-update from end to end, in an install of the test's own: a small
// program that updates itself as the assistant does (tests/programs/
// update_subject.cpp, built as 3.0.0.1 and 3.0.0.2) asks servicesim, which
// offers the newer build; after consent the carried updater replaces the
// installed program and starts the new version, or leaves the old one as it
// was and starts it again.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/archive_files.h"
#include "support/child_process.h"
#include "support/log_records.h"
#include "support/servicesim_process.h"
#include "support/set_variable.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using test::ServiceSimOptions;
using test::ServiceSimProcess;
using test::SimService;

const std::string kOldBuild = QVPC_BUILD_DIR "/tests/update_subject_3_0_0_1";
const std::string kNewBuild = QVPC_BUILD_DIR "/tests/update_subject_3_0_0_2";
constexpr auto kOutcomeLimit = std::chrono::seconds(60);

class SelfUpdateTest : public ::testing::Test {
  protected:
    // The updater and the programs it starts outlive the program that started
    // them; made our children when orphaned, they can be waited for and ended.
    void SetUp() override {
        ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        for (const std::string& folder : {m_home, m_installDir, m_simData + "/update"}) {
            std::filesystem::create_directories(folder);
        }
        std::filesystem::copy_file(kOldBuild, m_program);
        ::chmod(m_program.c_str(), 0755);
        test::WriteFile(m_simData + "/apps.json", "{\"apps\": []}");
    }

    void TearDown() override {
        EndAdopted(std::chrono::seconds(0));
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    }

    // servicesim offering 3.0.0.2 as this file of its update folder.
    void offer(const std::string& name, const std::string& content,
               std::vector<std::string> faults = {}) {
        test::WriteFile(m_simData + "/update/" + name, content);
        m_host.reset();
        m_sim = std::make_unique<ServiceSimProcess>(
            ServiceSimOptions{.faults = std::move(faults), .dataDir = m_simData});
        m_sim->setUpdate("3.0.0.2", m_sim->baseUrl(SimService::Download) + "/down/update/" + name);
        m_host = std::make_unique<test::SetVariable>("QVPC_UPDATE_HOST",
                                                     m_sim->hostPort(SimService::Update));
    }

    // Starts the installed program as a user would and lets it end.
    void startInstalledProgram() {
        test::ChildProcess program({m_program}, m_dir.path() + "/program.out");
        ASSERT_TRUE(test::WaitFor([&] { return !program.running(); }, kOutcomeLimit));
    }

    // The versions started in the data folder, oldest first.
    std::vector<std::string> starts() const {
        std::istringstream lines(test::ReadFile(m_dataDir + "/starts.txt"));
        std::vector<std::string> versions;
        for (std::string version, pid; lines >> version >> pid;) {
            versions.push_back(version);
        }
        return versions;
    }

    std::vector<std::string> updaterLog() const {
        return test::LogTexts(m_dataDir + "/update_QVPC.log");
    }

    bool updaterLogHas(const std::string& text) const {
        for (const std::string& record : updaterLog()) {
            if (record.starts_with(text)) {
                return true;
            }
        }
        return false;
    }

    // Our children that run from this test's folder (the updater, the
    // programs it started), each waited for until grace has passed, then
    // ended. Ending the updater orphans what it started, which comes to us
    // next.
    void EndAdopted(std::chrono::milliseconds grace) {
        const auto deadline = std::chrono::steady_clock::now() + grace;
        for (std::vector<pid_t> pids = adopted(); !pids.empty(); pids = adopted()) {
            for (pid_t pid : pids) {
                const auto left = std::max(std::chrono::milliseconds(0),
                                           std::chrono::duration_cast<std::chrono::milliseconds>(
                                               deadline - std::chrono::steady_clock::now()));
                if (!test::WaitFor([&] { return ::waitpid(pid, nullptr, WNOHANG) == pid; }, left)) {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, nullptr, 0);
                }
            }
        }
    }

    std::vector<pid_t> adopted() const {
        std::vector<pid_t> pids;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            std::getline(stat, line);
            // The command name in parentheses may hold anything; a process
            // gone meanwhile has no line.
            const std::size_t nameEnd = line.rfind(')');
            if (nameEnd == std::string::npos) {
                continue;
            }
            std::istringstream fields(line.substr(nameEnd + 1));
            char state = 0;
            pid_t parent = 0;
            fields >> state >> parent;
            std::error_code linkError;
            const std::string exe = std::filesystem::read_symlink(entry.path() / "exe", linkError);
            if (parent == ::getpid() && exe.starts_with(m_dir.path())) {
                pids.push_back(std::stoi(name));
            }
        }
        return pids;
    }

    test::TempDir m_dir;
    std::string m_home = m_dir.path() + "/home";
    std::string m_dataDir = m_dir.path() + "/documents/RiVod";
    std::string m_installDir = m_dir.path() + "/install/bin";
    std::string m_program = m_installDir + "/qvpc-subject";
    std::string m_simData = m_dir.path() + "/sim";
    test::SetVariable m_homeVariable{"HOME", m_home};
    test::SetVariable m_documents{"XDG_DOCUMENTS_DIR", m_dir.path() + "/documents"};
    test::SetVariable m_platform{"QT_QPA_PLATFORM", "offscreen"};
    std::unique_ptr<ServiceSimProcess> m_sim;
    std::unique_ptr<test::SetVariable> m_host;
};

TEST_F(SelfUpdateTest, AfterConsentTheNewVersionReplacesTheOldAndStarts) {
    const std::string newBuild = test::ReadFile(kNewBuild);
    struct Case {
        std::string served;
        std::string content;
    };
    const Case cases[] = {
        {"qvpc-subject-3.0.0.2", newBuild},
        {"qvpc-subject-3.0.0.2.tar.gz",
         test::TarArchive(
             {{"qvpc-3.0.0.2/README", "read me"}, {"qvpc-3.0.0.2/qvpc-subject", newBuild}}, true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.served);
        std::filesystem::remove_all(m_dataDir);
        std::filesystem::copy_file(kOldBuild, m_program,
                                   std::filesystem::copy_options::overwrite_existing);
        offer(c.served, c.content);
        startInstalledProgram();
        ASSERT_TRUE(test::WaitFor([&] { return starts().size() == 2; }, kOutcomeLimit))
            << test::ReadFile(m_dir.path() + "/program.out");
        EXPECT_EQ(starts(), (std::vector<std::string>{"3.0.0.1", "3.0.0.2"}));
        EXPECT_TRUE(test::ReadFile(m_program) == newBuild);
        // The updater's window closes once the new version runs.
        EndAdopted(kOutcomeLimit);
        EXPECT_TRUE(updaterLogHas("新版本已启动,进程号"));
        EXPECT_FALSE(std::filesystem::exists(m_program + ".old"));
        EXPECT_FALSE(std::filesystem::exists(m_dataDir + "/update_QVPC.download"));
        EXPECT_FALSE(std::filesystem::exists(m_dataDir + "/update_QVPC.program"));
    }
}

TEST_F(SelfUpdateTest, ABrokenUpdateLeavesTheOldVersionWorking) {
    const std::string oldBuild = test::ReadFile(kOldBuild);
    struct Case {
        std::string content;
        std::vector<std::string> faults;
        std::string reason;
    };
    const Case cases[] = {
        {test::ReadFile(kNewBuild), {"file=drop:65536"}, "下载新版本失败: 下载中断,文件不完整。"},
        {test::ReadFile(kNewBuild), {"file=malformed"}, "下载的文件不是程序,也不是压缩包。"},
        {test::ReadFile(kNewBuild).substr(0, 1000000), {}, "下载的新版本不能用: 程序文件不完整。"},
        // A whole program that fails as soon as it starts.
        {test::ReadFile("/bin/false"), {}, "新版本无法启动,已恢复原版本。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        std::filesystem::remove_all(m_dataDir);
        offer("qvpc-subject-3.0.0.2", c.content, c.faults);
        startInstalledProgram();
        // Started again, it is the old version, which declines this time.
        ASSERT_TRUE(test::WaitFor([&] { return starts().size() == 2; }, kOutcomeLimit));
        EXPECT_EQ(starts(), (std::vector<std::string>{"3.0.0.1", "3.0.0.1"}));
        EXPECT_TRUE(test::ReadFile(m_program) == oldBuild);
        EXPECT_TRUE(updaterLogHas(c.reason)) << ::testing::PrintToString(updaterLog());
        EXPECT_FALSE(std::filesystem::exists(m_program + ".old"));
        // Its window waits for the user to read why.
        EndAdopted(std::chrono::seconds(0));
    }
}

}  // namespace
}  // namespace qvpc
