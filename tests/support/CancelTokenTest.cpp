#include "support/CancelToken.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(CancelToken, WakesASleeperAndRunsHooksOnce) {
    CancelToken token;
    std::atomic<int> hookRuns = 0;
    CancelHook hook(&token, [&] { ++hookRuns; });
    bool sleptFully = true;
    std::thread sleeper([&] { sleptFully = token.sleepFor(60s); });
    std::this_thread::sleep_for(20ms);
    const auto start = std::chrono::steady_clock::now();
    token.cancel();
    token.cancel();
    sleeper.join();
    EXPECT_FALSE(sleptFully);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(hookRuns, 1);
    EXPECT_THROW(token.throwIfCancelled(), Cancelled);
}

TEST(CancelToken, HookAddedAfterCancelRunsAtOnceAndRemovedHookNever) {
    CancelToken token;
    bool removedRan = false;
    {
        CancelHook scoped(&token, [&] { removedRan = true; });
    }
    token.cancel();
    EXPECT_FALSE(removedRan);
    bool lateRan = false;
    CancelHook late(&token, [&] { lateRan = true; });
    EXPECT_TRUE(lateRan);
}

TEST(CancelToken, UncancelledSleepRunsItsCourse) {
    CancelToken token;
    EXPECT_TRUE(token.sleepFor(5ms));
    EXPECT_NO_THROW(token.throwIfCancelled());
}
