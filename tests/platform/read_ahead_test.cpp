#include "platform/read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace tagwright {
namespace {

// Reads that finish out of order still reach the caller in index order, all of them, once.
TEST(ReadInOrder, HandsResultsOverInIndexOrder) {
    for (const int jobs : {1, 3, 8, 32}) {
        SCOPED_TRACE(jobs);
        std::vector<std::size_t> seen;
        const auto read = [](std::size_t i) {
            // Early indexes take longest, so later ones finish first.
            std::this_thread::sleep_for(std::chrono::microseconds((50 - i % 50) * 20));
            return i * 10;
        };
        ReadInOrder<std::size_t>(300, jobs, read, [&](std::size_t i, std::size_t& v) {
            EXPECT_EQ(v, i * 10);
            seen.push_back(i);
            return true;
        });
        ASSERT_EQ(seen.size(), 300u);
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], i);
    }
}

TEST(ReadInOrder, StopsWhenTheCallerSaysSoAndReadsLittleAhead) {
    for (const int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        std::atomic<int> reads = 0;
        int taken = 0;
        ReadInOrder<int>(
            10000, jobs, [&](std::size_t) { return ++reads; },
            [&](std::size_t, int&) { return ++taken < 5; });
        EXPECT_EQ(taken, 5);
        EXPECT_LE(reads.load(), 5 + 32 * jobs) << "reads ran far ahead of the rows";
    }
}

TEST(ReadInOrder, AnExceptionOfAReadReachesTheCaller) {
    for (const int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        int taken = 0;
        const auto read = [](std::size_t i) {
            if (i == 7)
                throw std::bad_alloc();
            return static_cast<int>(i);
        };
        EXPECT_THROW(ReadInOrder<int>(50, jobs, read,
                                      [&](std::size_t, int&) {
                                          ++taken;
                                          return true;
                                      }),
                     std::bad_alloc);
        EXPECT_EQ(taken, 7) << "the rows before the failed read are handed over";
    }
}

// Quick reads stay on the calling thread, where a hand-over would cost more than they do; reads
// that wait go to the threads after the first group has shown it.
TEST(ReadInOrder, OnlyReadsThatWaitGoToOtherThreads) {
    struct Case {
        std::chrono::microseconds wait;
        bool threads;
    };
    for (const Case c :
         // Two milliseconds: some systems' sleeps are no finer, and round shorter ones to none.
         {Case{std::chrono::microseconds(0), false}, Case{std::chrono::microseconds(2000), true}}) {
        SCOPED_TRACE(c.wait.count());
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::thread::id> where(5 * kReadsJudgedTogether);
        const auto read = [&](std::size_t i) {
            std::this_thread::sleep_for(c.wait);
            where[i] = std::this_thread::get_id();
            return i;
        };
        std::size_t taken = 0;
        ReadInOrder<std::size_t>(where.size(), 8, read, [&](std::size_t i, std::size_t& v) {
            EXPECT_EQ(v, i);
            return ++taken > 0;
        });
        EXPECT_EQ(taken, where.size());
        for (std::size_t i = 0; i < 2 * kReadsJudgedTogether; ++i)
            EXPECT_EQ(where[i], caller) << "the first groups are read by the caller";
        const bool elsewhere =
            std::any_of(where.begin(), where.end(), [&](auto id) { return id != caller; });
        // A loaded machine may make quick reads look slow, never slow ones quick.
        if (c.threads) {
            EXPECT_TRUE(elsewhere);
        }
    }
}

}  // namespace
}  // namespace tagwright
