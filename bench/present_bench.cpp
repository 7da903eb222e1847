// SPDX-License-Identifier: MIT
// The fixed per-frame cost: each present routine in both senses, against a plain loop that only
// maps the cells through ShadeLut in buffer order and a memcpy of the 153600 display bytes.
//
// Every timed present starts from the same frame of random colours (restored outside the timed
// region, since present clears the buffer), so the table lookups are not all to entry 0.
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace veloxia;
using Clock = std::chrono::steady_clock;

const std::vector<uint32_t>& frame() {
    static const std::vector<uint32_t> cells = [] {
        initEngine(&renderContext);
        std::mt19937 random(1);
        std::vector<uint32_t> v(kBufferCells);
        for (uint32_t& cell : v) cell = 0x1000u << 16 | (random() & 0x3FFF);
        return v;
    }();
    return cells;
}

void restoreFrame() { std::memcpy(FrameBuffer, frame().data(), sizeof FrameBuffer); }

template <int (*Present)()>
void BM_Present(benchmark::State& state) {
    frame();
    setDisplayHost({});
    renderContext.presentRotation = uint32_t(state.range(0));
    for (auto _ : state) {
        restoreFrame();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(Present());
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBufferCells * 2);
}
BENCHMARK(BM_Present<presentGeneric>)->Name("PresentGeneric")->Arg(0)->Arg(1)->UseManualTime();
BENCHMARK(BM_Present<presentDirect>)->Name("PresentDirect")->Arg(0)->Arg(1)->UseManualTime();
BENCHMARK(BM_Present<presentFixedAddress>)->Name("PresentFixedAddress")->Arg(0)->Arg(1)->UseManualTime();

// The least any present can do: one lookup a cell, pixels in buffer order, no rotation, no clear.
void BM_MapThroughShadeLut(benchmark::State& state) {
    std::vector<uint16_t> display(kBufferCells);
    for (auto _ : state) {
        restoreFrame();
        const auto start = Clock::now();
        for (int k = 0; k < kBufferCells; ++k) display[k] = ShadeLut[FrameBuffer[k] & 0x3FFF];
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBufferCells * 2);
}
BENCHMARK(BM_MapThroughShadeLut)->Name("BaselineMapThroughShadeLut")->UseManualTime();

void BM_MemcpyDisplayBytes(benchmark::State& state) {
    std::vector<uint16_t> source(kBufferCells, 0x1234), display(kBufferCells);
    for (auto _ : state) {
        const auto start = Clock::now();
        std::memcpy(display.data(), source.data(), display.size() * sizeof(uint16_t));
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBufferCells * 2);
}
BENCHMARK(BM_MemcpyDisplayBytes)->Name("BaselineMemcpy153600Bytes")->UseManualTime();

}  // namespace
