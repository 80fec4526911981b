#include "updater/tar_archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/archive_files.h"
#include "support/temp_dir.h"

namespace qvpc::updater {
namespace {

constexpr std::uint64_t kLimit = 1024 * 1024;

class TarArchiveTest : public ::testing::Test {
  protected:
    // The program taken out of an archive of these files; why on failure.
    std::optional<std::string> extract(const std::string& archive) {
        test::WriteFile(m_archive, archive);
        m_why.clear();
        if (!ExtractProgram(m_archive, "qvpc", m_out, kLimit, m_why)) {
            return std::nullopt;
        }
        return test::ReadFile(m_out);
    }

    test::TempDir m_dir;
    std::string m_archive = m_dir.path() + "/new.tar.gz";
    std::string m_out = m_dir.path() + "/program";
    std::string m_why;
};

TEST_F(TarArchiveTest, TakesTheFileNamedLikeTheProgram) {
    const std::string program(70000, 'p');
    for (bool gzip : {true, false}) {
        EXPECT_EQ(extract(test::TarArchive({{"qvpc-3.0/README", "read me"},
                                            {"qvpc-3.0/bin/qvpc", program},
                                            {"qvpc-3.0/qvpc.desktop", "[Desktop Entry]"}},
                                           gzip)),
                  program)
            << gzip;
    }
}

TEST_F(TarArchiveTest, TakesTheOnlyFileWhateverItsName) {
    EXPECT_EQ(extract(test::TarArchive({{"qvpc-3.0.0.2", "program"}}, true)), "program");
}

TEST_F(TarArchiveTest, RefusesArchivesWithoutTheProgramOrCutShort) {
    const std::string whole = test::TarArchive({{"bin/qvpc", std::string(70000, 'p')}}, true);
    const std::string plain = test::TarArchive({{"bin/qvpc", std::string(70000, 'p')}}, false);
    struct Case {
        std::string archive;
        const char* why;
    };
    const Case cases[] = {
        {test::TarArchive({{"a", "1"}, {"b", "2"}}, true), "压缩包里没有助手程序"},
        {whole.substr(0, whole.size() / 2), "下载的压缩包不完整"},
        {plain.substr(0, 512 * 50), "下载的压缩包不完整"},
        {plain.substr(0, 512 * 50 + 7), "下载的压缩包不完整"},
        {"", "下载的压缩包不完整"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(extract(c.archive)) << c.why;
        EXPECT_EQ(m_why, c.why);
    }
    EXPECT_FALSE(std::filesystem::exists(m_out)) << "nothing is written from a broken archive";
}

TEST_F(TarArchiveTest, RefusesAProgramLargerThanTheLimit) {
    EXPECT_FALSE(extract(test::TarArchive({{"qvpc", std::string(kLimit + 1, 'p')}}, true)));
    EXPECT_EQ(m_why, "压缩包里的程序太大");
}

}  // namespace
}  // namespace qvpc::updater
