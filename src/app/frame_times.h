// SPDX-License-Identifier: MIT
// Precise frame times beside the handheld's figures.
//
// Every pass of the run is timed (from the end of the pass before, or the tap that started the
// run) into a log-linear histogram kept in static storage: nothing is allocated per frame, or
// ever, and a run of any length fits. Times under 256 ns are kept exactly; above, each power of
// two is split into 256 buckets, so a bucket is at most 0.4% wide. Each bucket also keeps the sum
// of its times, and a percentile is the mean of the bucket it falls in: exact when the frames in
// that bucket took the same time, otherwise within the bucket's width. The count, the total and
// the worst time are exact.
#pragma once

#include <cstdint>
#include <optional>

namespace veloxia {

struct FrameTimeSummary {
    uint64_t frames;      // frames timed
    double averageFps;    // frames over the measured time of the run
    double medianMs;
    double p1Ms;          // 1st percentile: 1% of the frames were this fast or faster
    double p99Ms;         // 99th percentile: 1% of the frames were this slow or slower
    double worstMs;
    double low1PctFps;    // the rate of the slowest 1% of frames (at least one frame)
};

class FrameTimes {
public:
    void clear();
    void add(uint64_t nanoseconds);
    uint64_t count() const { return count_; }
    // The nearest-rank percentile (0 < p <= 100) in nanoseconds; 0 without frames.
    double percentileNs(double p) const;
    // The summary; none without frames or without measured time.
    std::optional<FrameTimeSummary> summary() const;

    static constexpr int kExactBelow = 256;  // times under this many ns have a bucket each
    static constexpr int kSubBuckets = 256;  // buckets per power of two above
    static constexpr int kOctaves = 32;      // 2^8 .. 2^40 ns (18 minutes; longer frames count there)
    static constexpr int kBuckets = kExactBelow + kOctaves * kSubBuckets;
    static int bucketOf(uint64_t nanoseconds);

private:
    double slowestMeanNs(uint64_t frames) const;  // mean time of the `frames` slowest frames

    uint32_t counts_[kBuckets];
    uint64_t sums_[kBuckets];
    uint64_t count_ = 0;
    uint64_t total_ = 0;
    uint64_t worst_ = 0;
};

// The run's frame times (cleared when the run starts).
extern FrameTimes runFrameTimes;

}  // namespace veloxia
