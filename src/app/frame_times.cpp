// SPDX-License-Identifier: MIT
#include "app/frame_times.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace veloxia {

FrameTimes runFrameTimes;

int FrameTimes::bucketOf(uint64_t nanoseconds) {
    if (nanoseconds < kExactBelow) return static_cast<int>(nanoseconds);
    const int octave = std::min(static_cast<int>(std::bit_width(nanoseconds)) - 9, kOctaves - 1);
    // The top 9 bits of the time: 256..511 within its power of two.
    const uint64_t top = std::min<uint64_t>(nanoseconds >> octave, 2 * kSubBuckets - 1);
    return kExactBelow + octave * kSubBuckets + static_cast<int>(top - kSubBuckets);
}

void FrameTimes::clear() {
    std::memset(counts_, 0, sizeof counts_);
    std::memset(sums_, 0, sizeof sums_);
    count_ = total_ = worst_ = 0;
}

void FrameTimes::add(uint64_t nanoseconds) {
    const int b = bucketOf(nanoseconds);
    counts_[b] += 1;
    sums_[b] += nanoseconds;
    count_ += 1;
    total_ += nanoseconds;
    worst_ = std::max(worst_, nanoseconds);
}

double FrameTimes::percentileNs(double p) const {
    if (count_ == 0) return 0;
    // Nearest rank: the smallest time that at least p% of the frames do not exceed.
    const auto wanted = static_cast<double>(count_) * p / 100.0;
    uint64_t rank = static_cast<uint64_t>(wanted);
    if (static_cast<double>(rank) < wanted) ++rank;
    rank = std::clamp<uint64_t>(rank, 1, count_);
    uint64_t seen = 0;
    for (int b = 0; b < kBuckets; ++b) {
        seen += counts_[b];
        if (seen >= rank) return static_cast<double>(sums_[b]) / counts_[b];
    }
    return static_cast<double>(worst_);
}

double FrameTimes::slowestMeanNs(uint64_t frames) const {
    uint64_t left = frames;
    double time = 0;
    for (int b = kBuckets - 1; b >= 0 && left > 0; --b) {
        if (counts_[b] == 0) continue;
        const uint64_t take = std::min<uint64_t>(left, counts_[b]);
        // A whole bucket adds its exact sum; part of one, its share of the bucket's mean.
        time += take == counts_[b] ? static_cast<double>(sums_[b])
                                   : static_cast<double>(sums_[b]) / counts_[b] * static_cast<double>(take);
        left -= take;
    }
    return time / static_cast<double>(frames);
}

std::optional<FrameTimeSummary> FrameTimes::summary() const {
    if (count_ == 0 || total_ == 0) return std::nullopt;
    const uint64_t slowest = std::max<uint64_t>(1, (count_ + 99) / 100);
    const double slowMean = slowestMeanNs(slowest);
    return FrameTimeSummary{
        count_,
        static_cast<double>(count_) * 1e9 / static_cast<double>(total_),
        percentileNs(50) / 1e6,
        percentileNs(1) / 1e6,
        percentileNs(99) / 1e6,
        static_cast<double>(worst_) / 1e6,
        slowMean > 0 ? 1e9 / slowMean : 0,
    };
}

}  // namespace veloxia
