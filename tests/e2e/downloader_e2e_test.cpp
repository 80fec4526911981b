// The downloader against servicesim over HTTP and FTP: the file, its
// temporary name, the popup, the hand-over to the installation, and every
// way a download can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "base/gbk.h"
#include "base/log.h"
#include "services/downloader.h"
#include "support/fake_screen.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

namespace fs = std::filesystem;
using test::ServiceSimOptions;
using test::ServiceSimProcess;
using test::SimService;

constexpr const char* kApk = "com.kge.tv_444.apk";

// A downloader whose installations are only noted.
class DownloaderTest : public ::testing::Test {
  protected:
    explicit DownloaderTest(const ServiceSimOptions& options = {}) : m_sim(options) {
        fs::create_directories(m_dataDir + "/apk_down");
    }

    struct Installation {
        std::string path;
        std::string title;
    };

    std::vector<Installation> installations() {
        std::lock_guard lock(m_mutex);
        return m_installations;
    }

    bool waitForInstallations(std::size_t count) {
        return test::WaitFor([&] { return installations().size() >= count; });
    }

    std::size_t timesShown(const std::string& popup) {
        const auto popups = m_screen.popupsShown();
        return static_cast<std::size_t>(std::count(popups.begin(), popups.end(), popup));
    }

    // Waits until the popup has been shown once more than before.
    bool waitForPopup(const std::string& popup, std::size_t before = 0) {
        return test::WaitFor([&] { return timesShown(popup) > before; });
    }

    std::string apkUrl(const std::string& name = kApk) const {
        return m_sim.baseUrl(SimService::Download) + "/down/apk/" + name;
    }
    std::string served(const std::string& name = kApk) const {
        return test::ReadFile(m_sim.dataDir() + "/apks/" + name);
    }
    std::string logText() const { return GbkToUtf8(test::ReadFile(m_log.path())); }

    ServiceSimProcess m_sim;
    test::TempDir m_dir;
    std::string m_dataDir = m_dir.path() + "/RiVod";
    std::string m_target = m_dataDir + "/apk_down/K歌TV.apk";
    test::FakeScreen m_screen;
    Log m_log{m_dir.path() + "/log.txt"};
    std::mutex m_mutex;
    std::vector<Installation> m_installations;
    Downloader m_downloader{{.popup = m_screen,
                             .tiles = m_screen,
                             .loop = m_screen,
                             .log = m_log,
                             .dataDir = m_dataDir,
                             .install =
                                 [this](const std::string& path, const std::string& title) {
                                     std::lock_guard lock(m_mutex);
                                     m_installations.push_back({path, title});
                                 },
                             .asUserAction = [](std::function<void()> work) { work(); }}};
};

TEST_F(DownloaderTest, AFinishedDownloadIsMovedToItsNameAndInstalled) {
    // What an aborted run left behind, and an older copy of the file.
    test::WriteFile(m_target + ".tmp", "half of an old download");
    test::WriteFile(m_target, "an older version");
    const int number = m_downloader.start(apkUrl(), m_target, "应用下载<3>");
    EXPECT_EQ(number, 1);
    ASSERT_TRUE(waitForInstallations(1));

    EXPECT_EQ(installations()[0].path, m_target);
    EXPECT_EQ(installations()[0].title, "应用下载<3>");
    EXPECT_EQ(test::ReadFile(m_target), served());
    EXPECT_FALSE(fs::exists(m_target + ".tmp"));
    const auto record = m_downloader.record(number);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->status, Downloader::Status::Finished);
    EXPECT_EQ(record->totalSize, static_cast<std::int64_t>(served().size()));
    EXPECT_EQ(record->settings.localPath, m_target + ".tmp");
    EXPECT_EQ(m_screen.popupsShown().back(), "下载:下载完成");
    EXPECT_EQ(m_screen.downloadProgress().back(), 100);
    EXPECT_EQ(m_screen.catalogTileStates(), (std::map<int, std::string>{{3, "安装中"}}));
    EXPECT_NE(logText().find("[下载回调] 文件路径:" + m_target), std::string::npos);
}

TEST_F(DownloaderTest, AnUpgradeTitleLeavesTheTilesAlone) {
    m_downloader.start(apkUrl(), m_dataDir + "/tmp/K歌TV.apk", "升级应用<2>");
    ASSERT_TRUE(waitForInstallations(1));
    EXPECT_EQ(installations()[0].title, "升级应用<2>");
    EXPECT_TRUE(m_screen.catalogTileStates().empty());
}

TEST_F(DownloaderTest, TwoDownloadsAreNumberedAndKeepTheirOwnRecords) {
    const std::string second = "com.xingkong.live_321.apk";
    const int first = m_downloader.start(apkUrl(), m_target, "应用下载<1>");
    const int next =
        m_downloader.start(apkUrl(second), m_dataDir + "/apk_down/星空直播.apk", "应用下载<2>");
    EXPECT_EQ(next, first + 1);
    ASSERT_TRUE(waitForInstallations(2));
    EXPECT_NE(m_downloader.record(first)->taskId, m_downloader.record(next)->taskId);
    EXPECT_EQ(m_downloader.record(next)->totalSize,
              static_cast<std::int64_t>(served(second).size()));
    EXPECT_EQ(test::ReadFile(m_dataDir + "/apk_down/星空直播.apk"), served(second));
    EXPECT_EQ(m_screen.catalogTileStates(),
              (std::map<int, std::string>{{1, "安装中"}, {2, "安装中"}}));
}

TEST_F(DownloaderTest, AFailedDownloadSaysSoAndGivesTheTileBack) {
    const std::string failed = "提示:应用下载失败,请检查网络.";
    // Cut short, an error status, and an error page sent as if it were the
    // file.
    for (const std::string fault : {"drop:4096", "http:404", "malformed"}) {
        SCOPED_TRACE(fault);
        m_sim.setFault("apk", fault);
        const std::size_t before = timesShown(failed);
        const int number = m_downloader.start(apkUrl(), m_target, "应用下载<4>");
        ASSERT_TRUE(waitForPopup(failed, before));
        EXPECT_EQ(m_downloader.record(number)->status, Downloader::Status::Failed);
        EXPECT_EQ(m_screen.catalogTileStates().at(4), "安装");
        EXPECT_TRUE(installations().empty());
        EXPECT_NE(logText().find("[下载回调] 下载失败:" + apkUrl()), std::string::npos);
        m_screen.ClosePopup();
        m_screen.setCatalogTileState(4, "下载中");
    }
}

TEST_F(DownloaderTest, ADownloadOfUnknownSizeShowsNoProgressUntilItIsDone) {
    m_sim.setFault("apk", "nolength+throttle:200000");
    m_downloader.start(apkUrl(), m_target, "应用下载<1>");
    ASSERT_TRUE(waitForInstallations(1));
    EXPECT_EQ(test::ReadFile(m_target), served());
    EXPECT_EQ(m_downloader.record(1)->totalSize, 0);
    std::vector<int> progress = m_screen.downloadProgress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    progress.pop_back();
    for (int percent : progress) {
        EXPECT_EQ(percent, 0);
    }
}

TEST_F(DownloaderTest, ProgressRisesToAHundred) {
    m_sim.setFault("apk", "throttle:10000");
    m_downloader.start(apkUrl(), m_target, "应用下载<1>");
    ASSERT_TRUE(waitForInstallations(1));
    const std::vector<int> progress = m_screen.downloadProgress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);
}

TEST_F(DownloaderTest, NothingIsWrittenOutsideTheDataFolderOrFromAnUnknownScheme) {
    const struct {
        std::string url;
        std::string target;
    } cases[] = {
        {apkUrl(), m_dir.path() + "/elsewhere.apk"},
        {apkUrl(), m_dataDir + "/../escape.apk"},
        {apkUrl(), m_dataDir + "/apk_down/.hidden.apk"},
        {"file:///etc/passwd", m_target},
        {"javascript:alert(1)", m_target},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url + " -> " + c.target);
        const int number = m_downloader.start(c.url, c.target, "应用下载<1>");
        EXPECT_EQ(m_downloader.record(number)->status, Downloader::Status::Failed);
        EXPECT_EQ(m_screen.popupsShown().back(), "提示:应用下载失败,请检查网络.");
    }
    EXPECT_FALSE(fs::exists(m_dir.path() + "/elsewhere.apk"));
    EXPECT_FALSE(fs::exists(m_dir.path() + "/escape.apk"));
    EXPECT_TRUE(fs::is_empty(m_dataDir + "/apk_down"));
    EXPECT_EQ(m_sim.hits("apk").size(), 0u);
}

TEST_F(DownloaderTest, WithoutATargetTheFileGoesIntoTheDataFolderUnderItsUrlsName) {
    m_downloader.start(apkUrl(), {}, "Kestrune市场");
    ASSERT_TRUE(waitForInstallations(1));
    EXPECT_EQ(installations()[0].path, m_dataDir + "/" + kApk);
}

TEST_F(DownloaderTest, OverFtpWithTheAnonymousAccount) {
    const std::string url = m_sim.baseUrl(SimService::Ftp) + "/down/apk/" + kApk;
    m_downloader.start(url, m_target, "应用下载<1>");
    ASSERT_TRUE(waitForInstallations(1));
    EXPECT_EQ(test::ReadFile(m_target), served());
    const auto hits = m_sim.hits("apk");
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits.back()["headers"][0], nlohmann::json({"User", "anonymous"}));
}

class FtpAccountTest : public DownloaderTest {
  protected:
    FtpAccountTest() : DownloaderTest({.extraArgs = {"--ftp-account", "box:secret"}}) {}
};

TEST_F(FtpAccountTest, AServerThatRefusesTheLoginFailsTheDownload) {
    const std::string url = m_sim.baseUrl(SimService::Ftp) + "/down/apk/" + kApk;
    m_downloader.start(url, m_target, "应用下载<2>");
    ASSERT_TRUE(waitForPopup("提示:应用下载失败,请检查网络."));
    EXPECT_EQ(m_screen.catalogTileStates().at(2), "安装");

    m_downloader.start(url, m_target, "应用下载<2>", "box", "secret");
    ASSERT_TRUE(waitForInstallations(1));
    EXPECT_EQ(test::ReadFile(m_target), served());
}

}  // namespace
}  // namespace qvpc
