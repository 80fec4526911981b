// mkapk's APKs and boxsim's APK reader, in-process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <random>

#include "boxsim/apk/apk_builder.h"
#include "boxsim/apk/apk_reader.h"
#include "boxsim/apk/binary_xml.h"
#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/image.h"
#include "boxsim/apk/resource_table.h"
#include "boxsim/apk/test_certificate.h"
#include "boxsim/apk/zip_archive.h"
#include "support/boxsim_process.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace qvpc::boxsim {
namespace {

std::string sha256Hex(const std::string& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    char out[2 * SHA256_DIGEST_LENGTH + 1];
    for (int i = 0; i < SHA256_DIGEST_LENGTH; ++i) {
        std::snprintf(out + 2 * i, 3, "%02x", digest[i]);
    }
    return out;
}

ApkSpec playerSpec() {
    ApkSpec spec;
    spec.packageName = "com.example.player";
    spec.versionCode = 12;
    spec.versionName = "1.2.0";
    spec.label = "播放器 Player";
    spec.activity = ".StartActivity";
    return spec;
}

TEST(ApkTest, ReaderGetsBackWhatTheBuilderWrote) {
    ApkSpec spec = playerSpec();
    Image icon(40, 30, {200, 10, 10});
    spec.iconPng = EncodePng(icon);
    ApkReadResult read = ReadApk(BuildApk(spec));
    ASSERT_TRUE(read.info) << read.failure;
    EXPECT_EQ(read.info->packageName, "com.example.player");
    EXPECT_EQ(read.info->versionCode, 12);
    EXPECT_EQ(read.info->versionName, "1.2.0");
    // Label and icon are resource references, resolved through resources.arsc.
    EXPECT_EQ(read.info->label, "播放器 Player");
    EXPECT_EQ(read.info->icon, spec.iconPng);
    EXPECT_THAT(read.info->activities, ::testing::ElementsAre("com.example.player.StartActivity"));
    EXPECT_EQ(read.info->certificateDer, TestCertificateDer("test"));
}

TEST(ApkTest, SameOptionsGiveSameBytesAndCertificatesDependOnTheNameOnly) {
    EXPECT_EQ(BuildApk(playerSpec()), BuildApk(playerSpec()));
    // Pinned: a certificate must stay the same across builds and machines, so
    // committed APKs and APKs built in tests agree.
    EXPECT_EQ(sha256Hex(TestCertificateDer("test")),
              "88b6ae1b38668542c6c047f30606ec6aabbe29c4773f705bcd7912fa4395a210");
    EXPECT_NE(TestCertificateDer("other"), TestCertificateDer("test"));
    EXPECT_THROW(TestCertificateDer("bad name"), std::invalid_argument);
    ApkSpec bad = playerSpec();
    bad.packageName = "noDots";
    EXPECT_THROW(BuildApk(bad), std::invalid_argument);
}

TEST(ApkTest, BrokenApksGiveThePackageManagersCodes) {
    const std::string good = BuildApk(playerSpec());
    auto zip = ZipReader::open(good);
    ASSERT_TRUE(zip);
    const std::string manifest = *zip->read("AndroidManifest.xml", 1 << 20);
    std::string tamperedSf = *zip->read("META-INF/CERT.SF", 1 << 20);
    tamperedSf[tamperedSf.size() / 2] ^= 1;
    std::vector<ZipEntry> signedWithTamperedSf;
    for (const std::string& name : zip->names()) {
        signedWithTamperedSf.push_back(
            {name, name == "META-INF/CERT.SF" ? tamperedSf : *zip->read(name, 1 << 20), true});
    }
    struct Case {
        const char* name;
        std::string bytes;
        std::string failure;
    };
    const Case cases[] = {
        {"empty", "", "INSTALL_PARSE_FAILED_NOT_APK"},
        {"not a zip", "just text", "INSTALL_PARSE_FAILED_NOT_APK"},
        {"no manifest", WriteZip({{"classes.dex", "x", true}}),
         "INSTALL_PARSE_FAILED_BAD_MANIFEST"},
        {"text manifest", WriteZip({{"AndroidManifest.xml", "<manifest/>", true}}),
         "INSTALL_PARSE_FAILED_MANIFEST_MALFORMED"},
        {"unsigned", WriteZip({{"AndroidManifest.xml", manifest, true}}),
         "INSTALL_PARSE_FAILED_NO_CERTIFICATES"},
        {"tampered signature file", WriteZip(signedWithTamperedSf),
         "INSTALL_PARSE_FAILED_NO_CERTIFICATES"},
    };
    for (const Case& c : cases) {
        ApkReadResult read = ReadApk(c.bytes);
        EXPECT_FALSE(read.info) << c.name;
        EXPECT_EQ(read.failure, c.failure) << c.name;
    }
}

// Hostile files must end in a failure code, never in a crash or a hang.
TEST(ApkTest, MutatedInputNeverBreaksTheReaders) {
    const std::string apk = BuildApk(playerSpec());
    auto zip = ZipReader::open(apk);
    const std::string manifest = *zip->read("AndroidManifest.xml", 1 << 20);
    const std::string table = *zip->read("resources.arsc", 1 << 20);
    std::mt19937 random(20160119);
    auto mutate = [&](std::string bytes) {
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < edits; ++i) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
                case 0:
                    bytes[at] = static_cast<char>(random());
                    break;
                case 1:  // a huge length or offset
                    bytes.replace(at, std::min<size_t>(4, bytes.size() - at), "\xff\xff\xff\x7f",
                                  4);
                    break;
                default:
                    bytes.resize(std::max<size_t>(1, at));
            }
        }
        return bytes;
    };
    for (int i = 0; i < 3000; ++i) {
        const std::string m = mutate(manifest);
        try {
            ReadBinaryXml(m);
        } catch (const FormatError&) {
        }
        const std::string t = mutate(table);
        try {
            ResourceTable resources(t);
            resources.resolveString(0x7f020000);
            resources.resolveFiles(0x7f010000);
        } catch (const FormatError&) {
        }
        ApkReadResult read = ReadApk(WriteZip({{"AndroidManifest.xml", m, true}}));
        EXPECT_FALSE(read.failure.empty() && !read.info);
    }
    for (int i = 0; i < 300; ++i) {
        ApkReadResult read = ReadApk(mutate(apk));
        EXPECT_TRUE(read.info || !read.failure.empty());
    }
}

TEST(MkapkTest, CommandLineWritesTheLibrarysApk) {
    test::TempDir dir;
    const std::string out = dir.path() + "/player.apk";
    const auto result = test::RunCommand(test::MkapkPath() + " --out " + out +
                                         " --package com.example.player --version-code 12"
                                         " --version-name 1.2.0 --label '播放器 Player'"
                                         " --activity .StartActivity --cert test");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(test::ReadFile(out), BuildApk(playerSpec()));

    for (const std::string bad :
         {"--package com.example.x --version-code 1",
          "--out x.apk --package nodots --version-code 1",
          "--out x.apk --package com.example.x --version-code -1",
          "--out x.apk --package com.example.x --version-code 1 --cert 'a b'",
          "--out x.apk --package com.example.x --version-code 1 --frobnicate 1"}) {
        EXPECT_NE(
            test::RunCommand("cd " + dir.path() + " && " + test::MkapkPath() + " " + bad).exitCode,
            0)
            << bad;
    }
}

}  // namespace
}  // namespace qvpc::boxsim
