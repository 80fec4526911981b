// The first-paint stamp that make bench times the program's start-up by.
#include "ui/first_paint_stamp.h"

#include <gtest/gtest.h>
#include <time.h>

#include <QTest>
#include <QWidget>
#include <filesystem>

#include "support/set_variable.h"
#include "support/temp_dir.h"

namespace qvpc::ui::test {
namespace {

long long MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

TEST(FirstPaintStampTest, WrittenOnceWhenTheWindowHasFirstBeenPainted) {
    qvpc::test::TempDir dir;
    const std::string path = dir.path() + "/painted";
    qvpc::test::SetVariable variable("QVPC_FIRST_PAINT_FILE", path);
    QWidget window;
    window.resize(200, 100);
    StampFirstPaint(window);
    QTest::qWait(20);
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is painted before the window shows";

    const long long shown = MonotonicNs();
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(path); }, 5000));
    const long long seen = MonotonicNs();
    const std::string stamp = qvpc::test::ReadFile(path);
    ASSERT_TRUE(stamp.ends_with('\n')) << stamp;
    const long long painted = std::stoll(stamp);
    EXPECT_GE(painted, shown);
    EXPECT_LE(painted, seen);

    std::filesystem::remove(path);
    window.repaint();
    QTest::qWait(50);
    EXPECT_FALSE(std::filesystem::exists(path)) << "a later paint writes nothing";
}

}  // namespace
}  // namespace qvpc::ui::test
