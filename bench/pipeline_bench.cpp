// SPDX-License-Identifier: MIT
// Per-frame cost of the benchmark object "Sat": the vertex transform alone, and the whole render
// (transform, classification, fill and queue flush). The counters give triangles (faces handed to
// the pipeline) and vertices per second. The data files are read from this program's directory,
// where the build writes them.
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/app.h"

namespace {

using namespace veloxia;

// Start-up as the benchmark does it: engine, matrix stack, both files, the object centred.
// Null (and the benchmark marked skipped) without the data.
SceneObject* loadSat(benchmark::State& state) {
    static SceneObject* sat = [] () -> SceneObject* {
        initEngine(&renderContext);
        stackInit(&matrixStack, 4);
        const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        return loadBenchmarkData(dir) ? benchObject : nullptr;
    }();
    if (sat == nullptr) state.SkipWithError("veloxia3dbench1/2 with the object Sat not found");
    return sat;
}

void setCounters(benchmark::State& state, const SceneObject* sat) {
    using benchmark::Counter;
    state.counters["triangles/s"] = Counter(double(sat->faceCount), Counter::kIsIterationInvariantRate);
    state.counters["vertices/s"] = Counter(double(sat->vertexCount), Counter::kIsIterationInvariantRate);
}

void BM_SatTransform(benchmark::State& state) {
    SceneObject* sat = loadSat(state);
    if (sat == nullptr) return;
    int angle = 0;
    for (auto _ : state) {
        pushRunningMatrices(sat, angle);
        transformObject(&renderContext, sat);
        popRunningMatrices();
        benchmark::ClobberMemory();
        angle += 17;
    }
    setCounters(state, sat);
}
BENCHMARK(BM_SatTransform);

// A frame as the running screen draws it, without stars, text and present: the buffer is reset
// outside the timing so that every frame fills against an empty depth buffer.
void BM_SatRender(benchmark::State& state) {
    SceneObject* sat = loadSat(state);
    if (sat == nullptr) return;
    int angle = 0;
    for (auto _ : state) {
        renderRunningObject(angle, sat);
        if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
        benchmark::ClobberMemory();
        state.PauseTiming();
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x10000000u);
        angle += 17;
        state.ResumeTiming();
    }
    setCounters(state, sat);
}
BENCHMARK(BM_SatRender);

}  // namespace
