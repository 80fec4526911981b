#include "services/ini_file.h"

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

TEST(IniFileTest, ReadsKeysOfASectionAsWindowsWritesThem) {
    const IniFile file = IniFile::Parse(Utf8ToGbk(
        "; written by hand\r\n[其他]\r\nadd=9\r\n[首次]\r\nADD = 1 \r\nhot=3\nmtime=1487606400"));
    EXPECT_EQ(file.value("首次", "add", "0"), "1");
    EXPECT_EQ(file.value("首次", "Hot", "0"), "3");
    EXPECT_EQ(file.value("首次", "mtime", "0"), "1487606400");
    EXPECT_EQ(file.value("首次", "missing", "0"), "0");
    EXPECT_EQ(file.value("其他", "add", "0"), "9");
    EXPECT_EQ(file.value("没有", "add", "0"), "0");
}

TEST(IniFileTest, WritesGbkWithCrLfKeepingWhatItDoesNotKnow) {
    IniFile file = IniFile::Parse(Utf8ToGbk("; note\r\n[首次]\r\nadd=0\r\n\r\n[其他]\r\nx=1\r\n"));
    file.setValue("首次", "add", "1");
    file.setValue("首次", "hot", "1");
    file.setValue("新的", "k", "v");
    EXPECT_EQ(file.text(), Utf8ToGbk("; note\r\n[首次]\r\nadd=1\r\nhot=1\r\n\r\n[其他]\r\nx=1\r\n"
                                     "[新的]\r\nk=v\r\n"));
}

TEST(IniFileTest, AnEmptyFileGetsItsSection) {
    IniFile file;
    file.setValue("首次", "add", "1");
    file.setValue("首次", "hot", "1");
    file.setValue("首次", "mtime", "1487606400");
    EXPECT_EQ(file.text(), Utf8ToGbk("[首次]\r\nadd=1\r\nhot=1\r\nmtime=1487606400\r\n"));
}

TEST(IniFileTest, SavesAndLoadsAFile) {
    test::TempDir dir;
    const std::string path = dir.path() + "/qvpc.ini";
    EXPECT_FALSE(IniFile::Load(path));
    IniFile file;
    file.setValue("首次", "hot", "2");
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(test::ReadFile(path), Utf8ToGbk("[首次]\r\nhot=2\r\n"));
    EXPECT_EQ(IniFile::Load(path)->value("首次", "hot", "0"), "2");
    EXPECT_FALSE(file.save(dir.path() + "/missing/qvpc.ini"));
}

}  // namespace
}  // namespace qvpc
