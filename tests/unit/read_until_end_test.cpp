#include "base/read_until_end.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <thread>
#include <vector>

#include "base/unique_fd.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void Write(const UniqueFd& fd, std::string_view bytes) {
    ASSERT_EQ(::write(fd.get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

TEST(ReadUntilEndTest, EndsAtEndOfFileTheDeadlineOrTheWakeWhicheverComesFirst) {
    struct Case {
        const char* name;
        std::string written;
        bool writerCloses;
        bool woken;
        std::optional<std::chrono::milliseconds> limit;
        ReadEnd expectedEnd;
        std::string expectedText;
    };
    const Case cases[] = {
        {"closed", "abc", true, false, std::nullopt, ReadEnd::EndOfFile, "abc"},
        {"closed within the limit", "abc", true, false, 5s, ReadEnd::EndOfFile, "abc"},
        {"writer still there", "ab", false, false, 100ms, ReadEnd::DeadlinePassed, "ab"},
        // The wake is looked at before each read: what waits in fd stays there.
        {"woken", "ab", false, true, std::nullopt, ReadEnd::Woken, ""},
        {"woken though closed", "ab", true, true, 5s, ReadEnd::Woken, ""},
    };
    for (const Case& c : cases) {
        std::optional<Pipe> data = OpenPipe();
        std::optional<Pipe> wake = OpenPipe();
        ASSERT_TRUE(data && wake);
        Write(data->writeEnd, c.written);
        if (c.writerCloses) {
            data->writeEnd.reset();
        }
        if (c.woken) {
            Write(wake->writeEnd, "w");
        }
        ReadOptions options{.wakeFd = wake->readEnd.get()};
        const auto start = Clock::now();
        if (c.limit) {
            options.deadline = start + *c.limit;
        }
        std::string text;
        EXPECT_EQ(ReadUntilEnd(data->readEnd.get(), options, text), c.expectedEnd) << c.name;
        EXPECT_EQ(text, c.expectedText) << c.name;
        if (c.expectedEnd == ReadEnd::DeadlinePassed) {
            EXPECT_GE(Clock::now() - start, *c.limit) << c.name;
            EXPECT_LT(Clock::now() - start, *c.limit + 2s) << c.name;
        }
    }
}

TEST(ReadUntilEndTest, HandsOverEachReadAsItComesAtMostAChunkAtATime) {
    std::optional<Pipe> data = OpenPipe();
    ASSERT_TRUE(data);
    Write(data->writeEnd, "abcde");
    data->writeEnd.reset();
    std::vector<std::string> chunks;
    EXPECT_EQ(ReadUntilEnd(data->readEnd.get(), {.chunkSize = 2},
                           [&](std::string_view chunk) { chunks.emplace_back(chunk); }),
              ReadEnd::EndOfFile);
    EXPECT_EQ(chunks, (std::vector<std::string>{"ab", "cd", "e"}));
}

TEST(ReadUntilEndTest, AnotherThreadWakesAReaderThatWaitsWithoutLimit) {
    std::optional<Pipe> data = OpenPipe();
    std::optional<Pipe> wake = OpenPipe();
    ASSERT_TRUE(data && wake);
    std::thread waker([&] {
        std::this_thread::sleep_for(50ms);
        Write(wake->writeEnd, "w");
    });
    EXPECT_EQ(
        ReadUntilEnd(data->readEnd.get(), {.wakeFd = wake->readEnd.get()}, [](std::string_view) {}),
        ReadEnd::Woken);
    waker.join();
}

TEST(ReadUntilEndTest, ASignalThatInterruptsTheWaitDoesNotEndIt) {
    // Without SA_RESTART, as a handler of the program's may be installed.
    struct sigaction action {
    }, before{};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGUSR1, &action, &before);

    std::optional<Pipe> data = OpenPipe();
    ASSERT_TRUE(data);
    std::string text;
    ReadEnd end = ReadEnd::Failed;
    std::thread reader(
        [&] { end = ReadUntilEnd(data->readEnd.get(), {.deadline = Clock::now() + 10s}, text); });
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(20ms);
        ::pthread_kill(reader.native_handle(), SIGUSR1);
    }
    Write(data->writeEnd, "x");
    data->writeEnd.reset();
    reader.join();
    ::sigaction(SIGUSR1, &before, nullptr);
    EXPECT_EQ(end, ReadEnd::EndOfFile);
    EXPECT_EQ(text, "x");
}

}  // namespace
}  // namespace qvpc
