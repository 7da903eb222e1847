// SPDX-License-Identifier: MIT
// Frames per second of the world walk-through (the hall of assets/hall/world_hall.h, about 4000
// faces in 64 cells): renderWorldNear against renderWorld, each with and without the occlusion
// test. One iteration draws, flushes and presents one frame of a 120-frame loop.
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include "world_hall.h"

using namespace veloxia;

namespace {

constexpr int kLoopFrames = 120;

struct Setup {
    walkthrough::Hall hall;
    World world;

    Setup() {
        initEngine(&renderContext);
        stackInit(&matrixStack, 4);
        setRenderMode(&renderContext, 0);
        setEngineOption(&renderContext, 0, 4096);
        renderContext.present = presentDirect;
        buildWorld(&world, hall.objects, 4, 8, 1, 8);
    }
};

Setup& setup() {
    static Setup* s = new Setup();  // the world is large: keep it off the stack, build it once
    return *s;
}

// The renderers' bucket walk without the occlusion test: every bucketed cell is drawn.
void drawBucketsUntested(World* w, int first, int last) {
    for (int d = first; d <= last; ++d) {
        WorldNode* node = w->buckets[d].head;
        for (int32_t i = 0; i < w->buckets[d].count; ++i, node = node->next) drawWorldCell(w, node->cell);
        w->buckets[d].count = 0;
    }
}

void bucketAll(World* w) {
    w->nodeCount = 0;
    for (int32_t i = 0; i < w->cellCount; ++i) {
        if (cellVisible(&w->cells[i].bounds, false)) bucketCell(w, &w->cells[i]);
    }
}

void renderWorldUntested(World* w) {
    bucketAll(w);
    drawBucketsUntested(w, 0, kWorldBuckets - 1);
}

void renderWorldNearUntested(World* w) {
    bucketAll(w);
    renderContext.fillTriangle = fillPerspective;
    for (int d = 0; d < 5; ++d) {
        WorldNode* node = w->buckets[d].head;
        for (int32_t i = 0; i < w->buckets[d].count; ++i, node = node->next) {
            for (int32_t k = 0; k < node->cell->faceCount; ++k) renderFaceClipped(&renderContext, node->cell->faces[k]);
        }
        w->buckets[d].count = 0;
    }
    drawBucketsUntested(w, 5, 12);
    renderContext.fillTriangle = fillAffine;
    drawBucketsUntested(w, 13, kWorldBuckets - 1);
}

template <void (*Render)(World*)>
void walk(benchmark::State& state) {
    Setup& s = setup();
    renderContext.fillTriangle = fillAffine;
    int f = 0;
    for (auto _ : state) {
        ++renderContext.frameCounter;
        walkthrough::cameraAt(f, kLoopFrames, matrixStack.top);
        Render(&s.world);
        if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
        renderContext.present();
        f = (f + 1) % kLoopFrames;
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void WorldNear(benchmark::State& state) { walk<renderWorldNear>(state); }
void WorldNearNoOcclusion(benchmark::State& state) { walk<renderWorldNearUntested>(state); }
void WorldAffine(benchmark::State& state) { walk<renderWorld>(state); }
void WorldAffineNoOcclusion(benchmark::State& state) { walk<renderWorldUntested>(state); }

BENCHMARK(WorldNear)->Unit(benchmark::kMicrosecond);
BENCHMARK(WorldNearNoOcclusion)->Unit(benchmark::kMicrosecond);
BENCHMARK(WorldAffine)->Unit(benchmark::kMicrosecond);
BENCHMARK(WorldAffineNoOcclusion)->Unit(benchmark::kMicrosecond);

}  // namespace
