// SPDX-License-Identifier: MIT
// The fixed per-frame cost: each present routine in both senses against a plain loop of the same
// layout, timed alternately in the same iterations so that a busy machine slows both alike.
//
// A plain loop does the same work as the routine (read the cell, clear it, one ShadeLut read,
// store the pixel where the layout puts it) in the most direct code: one 16-bit store a cell, in
// buffer order, no unrolling. Its display memory has the routine's alignment (the built-in
// memory's, as the program runs). The counter `ratio` is the routine's median time over the
// plain loop's; the target is at most 1.15. Every timed call starts from the same frame of
// random colours, restored outside the timing.
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace veloxia;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kClearFar = 0x20000000;
constexpr uint32_t kClearNear = 0x10000000;
constexpr int kLines = kScreenHeight;  // portrait lines of 240 pixels

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

uint16_t take(uint32_t& cell, uint32_t cleared) {
    const uint16_t pixel = ShadeLut[cell & 0x3FFF];
    cell = cleared;
    return pixel;
}

// Plain loops: `display` is the routine's own first pixel (the Game API pointer for the
// portrait layout, the region start for the others).
void plainStraight(uint16_t* display) {
    for (int k = 0; k < kBufferCells; ++k) display[k] = take(FrameBuffer[k], kClearFar);
}
void plainReversed(uint16_t* display) {
    for (int k = 0; k < kBufferCells; ++k) display[kBufferCells - 1 - k] = take(FrameBuffer[k], kClearFar);
}
void plainCounterClockwise(uint16_t* display) {  // cell (x, y) to portrait pixel (y, 319 - x)
    for (int y = 0; y < kBufferHeight; ++y)
        for (int x = 0; x < kBufferWidth; ++x)
            display[(kLines - 1 - x) * kScreenWidth + y] = take(FrameBuffer[y * kBufferWidth + x], kClearNear);
}
void plainClockwise(uint16_t* display) {  // cell (x, y) to portrait pixel (239 - y, x)
    for (int y = 0; y < kBufferHeight; ++y)
        for (int x = 0; x < kBufferWidth; ++x)
            display[x * kScreenWidth + kScreenWidth - 1 - y] = take(FrameBuffer[y * kBufferWidth + x], kClearFar);
}

// The rotated plain loops again, walking the screen in its own order (reads down a buffer
// column, writes along a screen line): whichever order a machine prefers, both are measured.
void plainCounterClockwiseByLine(uint16_t* display) {
    for (int line = 0; line < kLines; ++line)
        for (int p = 0; p < kScreenWidth; ++p)
            display[line * kScreenWidth + p] = take(FrameBuffer[p * kBufferWidth + kLines - 1 - line], kClearNear);
}
void plainClockwiseByLine(uint16_t* display) {
    for (int line = 0; line < kLines; ++line)
        for (int p = 0; p < kScreenWidth; ++p)
            display[line * kScreenWidth + p] = take(FrameBuffer[(kScreenWidth - 1 - p) * kBufferWidth + line], kClearFar);
}

struct Case {
    int (*present)();
    uint32_t rotation;
    void (*plain)(uint16_t*);
    bool portrait;  // the plain loop writes from the Game API pointer, else from the region
};


double median(std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

template <class F>
double timed(F f) {
    restoreFrame();
    const auto start = Clock::now();
    f();
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_PresentVsPlain(benchmark::State& state, const Case& c) {
    frame();
    setDisplayHost({});
    renderContext.presentRotation = c.rotation;
    // The plain loop's memory: at the same offset from a 64-byte boundary as the routine's.
    uint16_t* const pointer = GXBeginDraw();
    const uintptr_t routineMemory = reinterpret_cast<uintptr_t>(c.portrait ? pointer : pointer - 319);
    std::vector<unsigned char> plainMemory(kBufferCells * 2 + 128);
    const uintptr_t base = (reinterpret_cast<uintptr_t>(plainMemory.data()) + 63) & ~uintptr_t{63};
    uint16_t* const plainDisplay = reinterpret_cast<uint16_t*>(base + routineMemory % 64);
    std::vector<double> routine, plain;
    routine.reserve(1 << 16);
    plain.reserve(1 << 16);
    bool routineFirst = true;
    for (auto _ : state) {
        const auto runRoutine = [&] { routine.push_back(timed([&] { benchmark::DoNotOptimize(c.present()); })); };
        const auto runPlain = [&] { plain.push_back(timed([&] { c.plain(plainDisplay); })); };
        if (routineFirst) {
            runRoutine();
            runPlain();
        } else {
            runPlain();
            runRoutine();
        }
        routineFirst = !routineFirst;
        state.SetIterationTime(routine.back());
    }
    const double r = median(routine), p = median(plain);
    state.counters["routine_us"] = r * 1e6;
    state.counters["plain_us"] = p * 1e6;
    state.counters["ratio"] = r / p;
}
#define VX_PRESENT_CASE(name, present, rotation, plain, portrait)                                   \
    BENCHMARK_CAPTURE(BM_PresentVsPlain, name, Case{present, rotation, plain, portrait})->UseManualTime()->Iterations(2000)
VX_PRESENT_CASE(GenericCounterClockwise, presentGeneric, 0, plainCounterClockwise, true);
VX_PRESENT_CASE(GenericClockwise, presentGeneric, 1, plainClockwise, true);
VX_PRESENT_CASE(DirectStraight, presentDirect, 0, plainStraight, false);
VX_PRESENT_CASE(DirectReversed, presentDirect, 1, plainReversed, false);
VX_PRESENT_CASE(FixedAddressReversed, presentFixedAddress, 0, plainReversed, false);
VX_PRESENT_CASE(FixedAddressStraight, presentFixedAddress, 1, plainStraight, false);
VX_PRESENT_CASE(GenericCounterClockwise_PlainByLine, presentGeneric, 0, plainCounterClockwiseByLine, true);
VX_PRESENT_CASE(GenericClockwise_PlainByLine, presentGeneric, 1, plainClockwiseByLine, true);

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
