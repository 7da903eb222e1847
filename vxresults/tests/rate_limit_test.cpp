// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "rate_limit.h"

namespace vxresults {
namespace {

using std::chrono::seconds;

TEST(RateLimit, AMinutesAllowanceThenEvenRefill) {
    RateLimiter limiter(120);  // two a second once the burst is spent
    const auto t0 = RateLimiter::Clock::time_point{} + seconds(1000);
    for (int i = 0; i < 120; ++i) ASSERT_EQ(limiter.admit("10.0.0.1", t0), 0) << i;
    EXPECT_EQ(limiter.admit("10.0.0.1", t0), 1);
    EXPECT_EQ(limiter.admit("10.0.0.2", t0), 0);  // another address has its own allowance
    EXPECT_EQ(limiter.admit("10.0.0.1", t0 + seconds(1)), 0);
    EXPECT_EQ(limiter.admit("10.0.0.1", t0 + seconds(1)), 0);
    EXPECT_EQ(limiter.admit("10.0.0.1", t0 + seconds(1)), 1);
}

TEST(RateLimit, RetryAfterCountsWholeSeconds) {
    RateLimiter limiter(2);  // one every 30 s
    const auto t0 = RateLimiter::Clock::time_point{} + seconds(1000);
    EXPECT_EQ(limiter.admit("a", t0), 0);
    EXPECT_EQ(limiter.admit("a", t0), 0);
    EXPECT_EQ(limiter.admit("a", t0), 30);
    EXPECT_EQ(limiter.admit("a", t0 + seconds(20)), 10);
    EXPECT_EQ(limiter.admit("a", t0 + seconds(31)), 0);
}

TEST(RateLimit, ZeroTurnsItOffAndQuietClientsAreForgotten) {
    RateLimiter off(0);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(off.admit("a", RateLimiter::Clock::time_point{}), 0);
    RateLimiter limiter(60);
    const auto t0 = RateLimiter::Clock::time_point{} + seconds(1000);
    for (int i = 0; i < 100; ++i) limiter.admit("client" + std::to_string(i), t0);
    EXPECT_EQ(limiter.trackedClients(), 100u);
    limiter.admit("late", t0 + seconds(120));
    EXPECT_EQ(limiter.trackedClients(), 1u);
}

}  // namespace
}  // namespace vxresults
