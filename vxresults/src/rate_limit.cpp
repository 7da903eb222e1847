// SPDX-License-Identifier: MIT
#include "rate_limit.h"

#include <algorithm>
#include <cmath>

namespace vxresults {

namespace {

double secondsBetween(RateLimiter::Clock::time_point from, RateLimiter::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

int64_t RateLimiter::admit(const std::string& client, Clock::time_point now) {
    if (perMinute_ <= 0) return 0;
    const double capacity = static_cast<double>(perMinute_);
    const double perSecond = capacity / 60.0;
    std::lock_guard lock(mutex_);
    if (secondsBetween(lastSweep_, now) >= 60) forgetFullBuckets(now);
    auto [it, fresh] = buckets_.try_emplace(client, Bucket{capacity, now});
    Bucket& b = it->second;
    if (!fresh) {
        b.tokens = std::min(capacity, b.tokens + std::max(0.0, secondsBetween(b.updated, now)) * perSecond);
        b.updated = now;
    }
    if (b.tokens >= 1.0) {
        b.tokens -= 1.0;
        return 0;
    }
    // The small margin keeps rounding error from adding a whole second.
    return std::max<int64_t>(1, static_cast<int64_t>(std::ceil((1.0 - b.tokens) / perSecond - 1e-6)));
}

std::size_t RateLimiter::trackedClients() const {
    std::lock_guard lock(mutex_);
    return buckets_.size();
}

void RateLimiter::forgetFullBuckets(Clock::time_point now) {
    // A bucket that would be full by now behaves like a new one.
    const double perSecond = static_cast<double>(perMinute_) / 60.0;
    std::erase_if(buckets_, [&](const auto& entry) {
        const Bucket& b = entry.second;
        return b.tokens + secondsBetween(b.updated, now) * perSecond >= static_cast<double>(perMinute_);
    });
    lastSweep_ = now;
}

}  // namespace vxresults
