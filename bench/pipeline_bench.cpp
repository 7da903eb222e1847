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

namespace {

using namespace veloxia;

// Start-up as the benchmark does it: engine, matrix stack, both files, the object centred.
SceneObject* loadSat() {
    static SceneObject* sat = [] () -> SceneObject* {
        initEngine(&renderContext);
        stackInit(&matrixStack, 4);
        const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        if (!loadSceneFile(dir / "veloxia3dbench1") || !loadTextureFile(dir / "veloxia3dbench2")) return nullptr;
        SceneObject* object = findSceneObject("Sat");
        if (object == nullptr) return nullptr;
        centreSceneObject(object);
        object->matrix[9] = object->matrix[10] = object->matrix[11] = 0;
        return object;
    }();
    return sat;
}

// The running screen's matrix set-up for one frame, then `draw` with the matrix in place.
template <typename Draw>
void withFrameMatrix(SceneObject* sat, int angle, Draw draw) {
    stackPush(&matrixStack);
    matTranslate(matrixStack.top, 0, 0, -350);
    matRotateZ(matrixStack.top, angle / 20);
    stackPush(&matrixStack);
    matRotateY(matrixStack.top, angle / 10);
    matMultiply(matrixStack.top, &sat->matrix);
    draw();
    stackPop(&matrixStack);
    stackPop(&matrixStack);
}

void setCounters(benchmark::State& state, const SceneObject* sat) {
    using benchmark::Counter;
    state.counters["triangles/s"] = Counter(double(sat->faceCount), Counter::kIsIterationInvariantRate);
    state.counters["vertices/s"] = Counter(double(sat->vertexCount), Counter::kIsIterationInvariantRate);
}

void BM_SatTransform(benchmark::State& state) {
    SceneObject* sat = loadSat();
    if (sat == nullptr) return state.SkipWithError("veloxia3dbench1/2 with the object Sat not found");
    int angle = 0;
    for (auto _ : state) {
        withFrameMatrix(sat, angle, [sat] { transformObject(&renderContext, sat); });
        benchmark::ClobberMemory();
        angle += 17;
    }
    setCounters(state, sat);
}
BENCHMARK(BM_SatTransform);

// A frame as the running screen draws it, without stars, text and present: the buffer is reset
// outside the timing so that every frame fills against an empty depth buffer.
void BM_SatRender(benchmark::State& state) {
    SceneObject* sat = loadSat();
    if (sat == nullptr) return state.SkipWithError("veloxia3dbench1/2 with the object Sat not found");
    int angle = 0;
    for (auto _ : state) {
        withFrameMatrix(sat, angle, [sat] { renderObject(&renderContext, sat); });
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
