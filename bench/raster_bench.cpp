// SPDX-License-Identifier: MIT
// Fill rate of the triangle fillers in every draw mode, in pixels per second, on a fixed
// seeded set of triangles of 20 to 400 pixels each, beside a baseline that only writes the same
// cells with a constant. The buffer is cleared (outside the timing) before each pass, so the
// depth test passes and fails as in a frame of overlapping faces.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <vector>

#include <veloxia/veloxia.h>

namespace {

using namespace veloxia;

constexpr uint32_t kClear = 0x20000000;

struct Triangle {
    std::array<ProjectedVertex, 3> p;
    std::array<int, 6> uv;
};

struct Span {
    int row, first, end;
};

struct Scene {
    std::vector<Triangle> triangles;
    std::vector<Span> spans;  // the cells every triangle covers, for the baseline
    int64_t pixels = 0;
    Texture texture{};
    std::unique_ptr<uint16_t[]> texels;
};

void clearBuffer() { std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), kClear); }

// 2000 triangles with corners sorted by row, each covering 20..400 cells of the screen.
Scene& scene() {
    static Scene s = [] {
        Scene s;
        buildReciprocalTables();
        std::mt19937 rng(4242);
        auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        s.texels = std::make_unique<uint16_t[]>(32 * 32);
        for (int i = 0; i < 32 * 32; ++i) s.texels[i] = pick(0, 7) == 0 ? 0 : uint16_t(pick(0, 511) << 5);
        s.texture.width = s.texture.height = 32;
        s.texture.uMask = 31u << 16;
        s.texture.vMask = (31u * 32) << 16;
        s.texture.texels = s.texels.get();
        s.texture.averageColor = uint16_t(300 << 5);
        Texture probe{};
        probe.averageColor = 1;
        while (s.triangles.size() < 2000) {
            Triangle t;
            const int cx = pick(0, 319), cy = pick(0, 239), r = pick(4, 24);
            for (auto& v : t.p)
                v = {int16_t(cx + pick(-r, r)), int16_t(cy + pick(-r, r)), int16_t(pick(200, 8000)), int16_t(pick(1, 31))};
            for (int& c : t.uv) c = pick(0, 32 * 16 * 2);
            std::sort(t.p.begin(), t.p.end(), [](auto& a, auto& b) { return a.sy < b.sy; });
            clearBuffer();
            fillFlat(&t.p[0], 0, 0, &t.p[1], 0, 0, &t.p[2], 0, 0, &probe);
            std::vector<Span> spans;
            int64_t cells = 0;
            for (int y = 0; y < kBufferHeight; ++y) {
                const uint32_t* row = FrameBuffer + y * kBufferWidth;
                for (int x = 0; x < kBufferWidth;) {
                    if (row[x] == kClear) { ++x; continue; }
                    const int first = x;
                    while (x < kBufferWidth && row[x] != kClear) ++x;
                    spans.push_back({y, first, x});
                    cells += x - first;
                }
            }
            if (cells < 20 || cells > 400) continue;
            s.triangles.push_back(t);
            s.spans.insert(s.spans.end(), spans.begin(), spans.end());
            s.pixels += cells;
        }
        return s;
    }();
    return s;
}

void runFiller(benchmark::State& state, FillTriangleFn fill, int mode) {
    Scene& s = scene();
    s.texture.drawMode = mode;
    for (auto _ : state) {
        state.PauseTiming();
        clearBuffer();
        state.ResumeTiming();
        for (const Triangle& t : s.triangles)
            fill(&t.p[0], t.uv[0], t.uv[1], &t.p[1], t.uv[2], t.uv[3], &t.p[2], t.uv[4], t.uv[5], &s.texture);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(double(s.pixels), benchmark::Counter::kIsIterationInvariantRate);
}

// The same cells written with a constant: the cost of the stores alone.
void BM_Baseline(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        state.PauseTiming();
        clearBuffer();
        state.ResumeTiming();
        for (const Span& span : s.spans) {
            uint32_t* row = FrameBuffer + span.row * kBufferWidth;
            std::fill(row + span.first, row + span.end, 0x01000000u);
        }
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = benchmark::Counter(double(s.pixels), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Baseline);

void BM_Affine(benchmark::State& state) { runFiller(state, fillAffine, int(state.range(0))); }
void BM_Perspective(benchmark::State& state) { runFiller(state, fillPerspective, int(state.range(0))); }
void BM_Flat(benchmark::State& state) { runFiller(state, fillFlat, int(state.range(0))); }
BENCHMARK(BM_Affine)->DenseRange(0, 3);
BENCHMARK(BM_Perspective)->DenseRange(0, 3);
BENCHMARK(BM_Flat)->Arg(0)->Arg(2);

}  // namespace
