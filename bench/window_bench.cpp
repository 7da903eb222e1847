// SPDX-License-Identifier: MIT
// The window's copy step on its own: after every present the SDL host copies the shown picture
// from display memory into its streaming texture (readDisplayPortrait with the texture's line
// pitch). Timed for each present routine's layout, next to that present routine itself, so the
// copy can be read as a share of the fixed per-frame cost. A texture line of 256 pixels stands
// for a padded pitch; 240 is the usual one.
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using namespace veloxia;

void randomFrame() {
    std::mt19937 random(1);
    for (uint32_t& cell : FrameBuffer) cell = 0x1000u << 16 | (random() & 0x3FFF);
}

PresentFn routine(int64_t index) {
    const PresentFn routines[] = {presentGeneric, presentDirect, presentFixedAddress};
    return routines[index];
}

void BM_WindowCopy(benchmark::State& state) {
    initEngine(&renderContext);
    setDisplayHost({});
    randomFrame();
    routine(state.range(0))();
    const auto line = static_cast<std::ptrdiff_t>(state.range(1));
    std::vector<uint16_t> texture(static_cast<std::size_t>(line) * kScreenHeight);
    for (auto _ : state) {
        readDisplayPortrait(texture.data(), line);
        benchmark::DoNotOptimize(texture.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kBufferCells} * 2);
}
// Arguments: routine (0 generic, 1 direct, 2 fixed address), texture line in pixels.
BENCHMARK(BM_WindowCopy)->ArgsProduct({{0, 1, 2}, {240, 256}})->ArgNames({"routine", "line"});

// The present routine whose memory the copy reads, for scale (it also clears the buffer).
void BM_PresentForScale(benchmark::State& state) {
    initEngine(&renderContext);
    setDisplayHost({});
    randomFrame();
    const PresentFn present = routine(state.range(0));
    for (auto _ : state) {
        present();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PresentForScale)->Arg(0)->Arg(1)->Arg(2)->ArgName("routine");

}  // namespace
