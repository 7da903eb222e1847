// SPDX-License-Identifier: MIT
// Submissions per minute per client address: a token bucket per address that holds a minute's
// allowance and refills evenly, so a lab of machines behind one address can send a burst.
// Thread-safe. Addresses are held in memory only, and forgotten once their bucket is full again.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vxresults {

class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    explicit RateLimiter(int64_t perMinute) : perMinute_(perMinute) {}

    // 0 when the client may submit now (and uses one submission), else the whole seconds to wait.
    int64_t admit(const std::string& client, Clock::time_point now);

    std::size_t trackedClients() const;

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point updated;
    };
    void forgetFullBuckets(Clock::time_point now);

    const int64_t perMinute_;  // 0: no limit
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    Clock::time_point lastSweep_{};
};

}  // namespace vxresults
