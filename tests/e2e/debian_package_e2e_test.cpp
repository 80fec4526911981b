// The Debian package, built with CPack from this build tree into a folder of
// the test's own, then read back as dpkg, apt and the program's own updater
// read it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "adb/shell_quote.h"
#include "program_version.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "updater/debian_package.h"
#include "updater/download_kind.h"

namespace qvpc {
namespace {

namespace fs = std::filesystem;

const std::string kBuildDir = QVPC_BUILD_DIR;
const std::vector<int> kIconSizes = {16, 24, 32, 48, 64, 128, 256};

// The control fields, "Name: value" with continuation lines joined.
std::map<std::string, std::string> ControlFields(const std::string& text) {
    std::map<std::string, std::string> fields;
    std::istringstream lines(text);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(": ");
        if (!line.starts_with(' ') && colon != std::string::npos) {
            last = line.substr(0, colon);
            fields[last] = line.substr(colon + 2);
        } else if (!last.empty()) {
            fields[last] += "\n" + line;
        }
    }
    return fields;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(separator, from)) != std::string::npos;) {
        parts.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    parts.push_back(text.substr(from));
    return parts;
}

// A key's value in the [Desktop Entry] group of a desktop file.
std::string DesktopKey(const std::string& file, const std::string& key) {
    std::istringstream lines(file);
    std::string line;
    bool inEntry = false;
    while (std::getline(lines, line)) {
        if (line.starts_with('[')) {
            inEntry = line == "[Desktop Entry]";
        } else if (inEntry && line.starts_with(key + "=")) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

// Width and height from a PNG's header, 0 x 0 when it is not a PNG.
std::pair<int, int> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    auto number = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = at; i < at + 4; ++i) {
            value = value * 256 + static_cast<unsigned char>(bytes[i]);
        }
        return value;
    };
    return {number(16), number(20)};
}

bool Contains(const std::string& haystack, const std::string& needle) {
    return !needle.empty() && std::search(haystack.begin(), haystack.end(),
                                          std::boyer_moore_horspool_searcher(
                                              needle.begin(), needle.end())) != haystack.end();
}

// One package for the tests of a process: building it is the slow part.
class DebianPackageTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<test::TempDir>();
        const test::CommandResult built = test::RunCommand(
            "cpack -G DEB --config " + ShellWord(kBuildDir + "/CPackConfig.cmake") + " -B " +
                ShellWord(s_dir->path()),
            std::chrono::minutes(4));
        s_buildOutput = built.output;
        for (const fs::directory_entry& entry : fs::directory_iterator(s_dir->path())) {
            const std::string name = entry.path().filename().string();
            if (built.exitCode == 0 && name.starts_with("qvpc_") && name.ends_with(".deb")) {
                s_package = entry.path().string();
            }
        }
        s_root = s_dir->path() + "/root";
        if (!s_package.empty()) {
            test::RunCommand("dpkg-deb -x " + ShellWord(s_package) + " " + ShellWord(s_root));
        }
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void SetUp() override {
        ASSERT_FALSE(s_package.empty()) << "cpack made no package:\n" << s_buildOutput;
    }

    static test::CommandResult Dpkg(const std::string& arguments) {
        return test::RunCommand("dpkg-deb " + arguments + " " + ShellWord(s_package));
    }

    static inline std::unique_ptr<test::TempDir> s_dir;
    static inline std::string s_buildOutput;
    static inline std::string s_package;
    static inline std::string s_root;
};

TEST_F(DebianPackageTest, HoldsTheProgramItsMenuEntryAndIconsOwnedByRoot) {
    std::set<std::string> expected = {"usr/bin/qvpc", "usr/share/applications/qvpc.desktop"};
    for (int size : kIconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        expected.insert("usr/share/icons/hicolor/" + folder + "/apps/qvpc.png");
    }
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(s_root)) {
        if (!entry.is_directory()) {
            files.insert(fs::relative(entry.path(), s_root).string());
        }
    }
    EXPECT_EQ(files, expected) << "no tool, test or library of the build may ride along";

    // Columns: mode, owner/group, size, date, time, path.
    const test::CommandResult listing = Dpkg("--contents");
    ASSERT_EQ(listing.exitCode, 0) << listing.output;
    std::istringstream lines(listing.output);
    for (std::string mode, owner, size, date, time, path;
         lines >> mode >> owner >> size >> date >> time >> path;) {
        EXPECT_EQ(owner, "root/root") << path;
        const char* wanted = mode.starts_with('d')      ? "drwxr-xr-x"
                             : path == "./usr/bin/qvpc" ? "-rwxr-xr-x"
                                                        : "-rw-r--r--";
        EXPECT_EQ(mode, wanted) << path;
    }

    // The updater is not a file of its own: the program carries it.
    const std::string updater = test::ReadFile(kBuildDir + "/generated/carried/update_QVPC");
    EXPECT_TRUE(Contains(test::ReadFile(s_root + "/usr/bin/qvpc"), updater))
        << "the packaged program does not carry the updater (" << updater.size() << " bytes)";
}

TEST_F(DebianPackageTest, MenuEntryIsValidAndStartsThePackagedProgramWithItsIcon) {
    const std::string entry = s_root + "/usr/share/applications/qvpc.desktop";
    const test::CommandResult validated =
        test::RunCommand("desktop-file-validate " + ShellWord(entry));
    EXPECT_EQ(validated.exitCode, 0) << validated.output;
    EXPECT_EQ(validated.output, "") << "hints and warnings too";

    const std::string text = test::ReadFile(entry);
    const std::string program = Split(DesktopKey(text, "Exec"), " ").front();
    EXPECT_TRUE(fs::exists(s_root + "/usr/bin/" + program)) << "Exec=" << program;
    EXPECT_EQ(DesktopKey(text, "Terminal"), "false");

    const std::string icon = DesktopKey(text, "Icon");
    for (int size : kIconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::string png = test::ReadFile(s_root + "/usr/share/icons/hicolor/" + folder +
                                               "/apps/" + icon + ".png");
        EXPECT_EQ(PngSize(png), std::make_pair(size, size)) << folder << ", Icon=" << icon;
    }
}

TEST_F(DebianPackageTest, ControlFieldsAndDependenciesResolveWithApt) {
    const test::CommandResult control = Dpkg("--field");
    ASSERT_EQ(control.exitCode, 0) << control.output;
    std::map<std::string, std::string> fields = ControlFields(control.output);
    const test::CommandResult architecture = test::RunCommand("dpkg --print-architecture");
    EXPECT_EQ(fields["Package"], "qvpc");
    EXPECT_EQ(fields["Version"], kProgramVersion);
    EXPECT_EQ(fields["Architecture"] + "\n", architecture.output);
    EXPECT_FALSE(fields["Maintainer"].empty());
    EXPECT_NE(fields["Description"].find('\n'), std::string::npos) << "a summary and a long text";

    // Named ones, and libraries dpkg-shlibdeps found in the program.
    const std::vector<std::string> depends = Split(fields["Depends"], ", ");
    auto depended = [&](const std::string& start) {
        return std::any_of(depends.begin(), depends.end(),
                           [&](const std::string& d) { return d.starts_with(start); });
    };
    for (const char* dependency :
         {"adb", "fonts-noto-cjk | fonts-wqy-microhei", "libc6 (", "libqt6widgets6 (", "libcurl4 (",
          "libsqlite3-0 (", "libssl3 ("}) {
        EXPECT_TRUE(depended(dependency)) << dependency << " in " << fields["Depends"];
    }

    const test::CommandResult simulated = test::RunCommand(
        "apt-get install --simulate -q " + ShellWord(s_package), std::chrono::minutes(2));
    EXPECT_EQ(simulated.exitCode, 0) << simulated.output;
    EXPECT_NE(simulated.output.find("qvpc"), std::string::npos) << simulated.output;

    // An update served as this package is one the updater takes.
    EXPECT_EQ(updater::KindOf(s_package), updater::DownloadKind::DebianPackage);
    EXPECT_TRUE(updater::IsCompleteDebianPackage(s_package));
}

}  // namespace
}  // namespace qvpc
