// SPDX-License-Identifier: MIT
// Wall-clock and processor time of a run of frames. On a busy machine the wall clock counts the
// time other programs held the processor; the process's processor time does not (it adds up
// all of its threads, so for a threaded renderer it is work, not waiting time).
#pragma once

#include <chrono>
#include <ctime>

namespace peers {

struct Timing {
    double wall = 0;  // seconds
    double cpu = 0;   // seconds of processor time of this process, all threads
};

class Stopwatch {
public:
    Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(processSeconds()) {}
    Timing elapsed() const {
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall_;
        return Timing{wall.count(), processSeconds() - cpu_};
    }

private:
    static double processSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};

}  // namespace peers
