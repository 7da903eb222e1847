// SPDX-License-Identifier: MIT
// The benchmark's own frame without a window: the app core driven by a host that does nothing,
// so a frame is exactly the running screen's work (read-out text, 100 stars, the Sat at the
// running screen's matrices, queue flush, present through presentGeneric, the routine a PC
// gets). Both benchmarks run 2410 frames a repetition, the Sat's whole cycle of its two
// rotations, so every repetition sees the same frames.
//
//   Frame        idlePass as the program's loop calls it: the median frame in ns and as frames
//                per second (the Time column is the mean, which a busy machine inflates).
//   FrameStages  the same frame in its stages, each timed on its own; the counters are medians
//                over the frames (robust on a busy machine), in ns:
//                  transform   the Sat's vertices through the matrix and the projection
//                  fill        the rest of the running screen: classification, fillers, queue
//                              insertion (and the read-out text and stars, about 1% of it)
//                  flush       the face queue's blended faces
//                  present     FrameBuffer to display memory
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "app/app.h"

namespace {

using namespace veloxia;
using Clock = std::chrono::steady_clock;

constexpr int64_t kFramesPerRepetition = 2410;

// A host with a clock that advances 10 ms a frame, as the deterministic mode's does.
class QuietHost : public Host {
public:
    InstanceClaim claimInstance() override { return {true, 0}; }
    Result openWindow() override { return Result::success(); }
    uint32_t ticks() override { return now; }
    bool pollEvent(HostEvent&) override { return false; }
    void framePresented(const FrameRecord&) override { now += 10; }
    std::u16string oemInfo() override { return u"PC"; }
    MemoryStatus memoryStatus() override { return {}; }
    std::filesystem::path executableDirectory() override {
        return std::filesystem::read_symlink("/proc/self/exe").parent_path();
    }
    void openBrowser(const std::string&) override {}

    uint32_t now = 100000000;
};

QuietHost host;
std::string failure;  // why start-up failed

// Start-up as the program does it, then the title tap: the running screen for about 10^8
// frames. False when the data files are missing.
bool startRun() {
    static const bool started = [] {
        resetBenchmark();
        setHost(&host);
        if (Result started = startup(); !started) {
            failure = started.reason();
            return false;
        }
        detectDisplay(&renderContext);
        runSeconds = 1000000;
        windowProc(HostEvent{HostEvent::Kind::touch, 100});
        return benchmarkState.running == 1;
    }();
    return started;
}

double seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

void BM_Frame(benchmark::State& state) {
    if (!startRun()) return state.SkipWithError(("start-up failed: " + failure).c_str());
    std::vector<double> frames;
    frames.reserve(kFramesPerRepetition);
    for (auto _ : state) {
        const auto start = Clock::now();
        idlePass();
        frames.push_back(seconds(start, Clock::now()));
    }
    const double m = median(frames);
    state.counters["median_ns"] = m * 1e9;
    state.counters["median_fps"] = 1 / m;
}
BENCHMARK(BM_Frame)->Iterations(kFramesPerRepetition);

void BM_FrameStages(benchmark::State& state) {
    if (!startRun()) return state.SkipWithError(("start-up failed: " + failure).c_str());
    std::vector<double> transform, screen, flush, present, total;
    for (auto* v : {&transform, &screen, &flush, &present, &total}) v->reserve(kFramesPerRepetition);
    for (auto _ : state) {
        // The transform alone at the angle the screen is about to draw (it leaves no pixel).
        const int32_t next = angle + angleStep * 17;
        auto t0 = Clock::now();
        pushRunningMatrices(benchObject, next);
        transformObject(&renderContext, benchObject);
        popRunningMatrices();
        auto t1 = Clock::now();
        // Then the frame as idlePass makes it, stage by stage.
        renderContext.frameCounter += 1;
        runningScreen();
        auto t2 = Clock::now();
        if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
        auto t3 = Clock::now();
        renderContext.present();
        auto t4 = Clock::now();
        host.framePresented(FrameRecord{});
        transform.push_back(seconds(t0, t1));
        screen.push_back(seconds(t1, t2));
        flush.push_back(seconds(t2, t3));
        present.push_back(seconds(t3, t4));
        total.push_back(seconds(t1, t4));
    }
    const double transformNs = median(transform) * 1e9;
    state.counters["transform"] = transformNs;
    state.counters["fill"] = std::max(0.0, median(screen) * 1e9 - transformNs);
    state.counters["flush"] = median(flush) * 1e9;
    state.counters["present"] = median(present) * 1e9;
    state.counters["frame"] = median(total) * 1e9;
}
BENCHMARK(BM_FrameStages)->Iterations(kFramesPerRepetition);

}  // namespace
