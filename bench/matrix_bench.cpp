// SPDX-License-Identifier: MIT
// The per-frame and per-vertex matrix work: one multiply and the split transform the mesh
// pipeline runs on every vertex (z first, x and y only for vertices in the depth range).
#include <veloxia/veloxia.h>

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace veloxia;

Mat34 viewMatrix() {
    buildTrigTables();
    Mat34 m;
    matIdentity(&m);
    matTranslate(&m, 0, 0, -900);
    matRotateY(&m, 300);
    matRotateX(&m, 123);
    return m;
}

void BM_MatMultiply(benchmark::State& state) {
    Mat34 a = viewMatrix();
    const Mat34 b = a;
    for (auto _ : state) {
        matMultiply(&a, &b);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_MatMultiply);

void BM_TransformVertices(benchmark::State& state) {
    const Mat34 m = viewMatrix();
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> c(-400, 400);
    std::vector<Vec3> in(1024), out(1024);
    for (Vec3& v : in) v = Vec3{int16_t(c(rng)), int16_t(c(rng)), int16_t(c(rng))};
    for (auto _ : state) {
        for (size_t i = 0; i < in.size(); ++i) {
            matTransformZ(&m, &in[i], &out[i]);
            if (out[i].z < 0) matTransformXY(&m, &in[i], &out[i]);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_TransformVertices);

}  // namespace
