#include "fs/time_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vaultor::fs {
namespace {

using namespace std::chrono_literals;

// A file system that does not answer must not hang the program, and a query
// that still hangs must not pile up more threads behind it.
TEST(TimeLimit, AnUnansweredQueryCountsAsNoAnswerAndBlocksItsKeyUntilItReturns) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto started = std::chrono::steady_clock::now();
    auto answer = AskWithTimeLimit<int>("/mnt/dead", 100ms, [release] {
        while (!*release) std::this_thread::sleep_for(5ms);
        return 1;
    });
    EXPECT_FALSE(answer);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);

    started = std::chrono::steady_clock::now();
    EXPECT_FALSE(AskWithTimeLimit<int>("/mnt/dead", 2000ms, [] { return 2; }));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1000ms);  // at once, not after 2 s
    EXPECT_EQ(AskWithTimeLimit<int>("/mnt/other", 2000ms, [] { return 3; }), 3);

    *release = true;
    std::optional<int> later;
    for (int i = 0; i < 200 && !later; ++i) {
        std::this_thread::sleep_for(10ms);
        later = AskWithTimeLimit<int>("/mnt/dead", 2000ms, [] { return 4; });
    }
    EXPECT_EQ(later, 4);
}

// An answered query frees its key before the answer arrives: the next query
// of the same drive, right after, is asked too and not refused as busy.
TEST(TimeLimit, QueriesOneAfterTheOtherAllGetTheirAnswer) {
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(AskWithTimeLimit<int>("/mnt/fuse", 2000ms, [i] { return i; }), i) << i;
}

}  // namespace
}  // namespace vaultor::fs
