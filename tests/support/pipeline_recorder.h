// SPDX-License-Identifier: MIT
// Recording slot functions for pipeline tests: a fill that keeps every call it receives, a shade
// and a projection that count their calls, and a scene that gives each test its own vertices,
// faces and matrix.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include <veloxia/veloxia.h>

namespace vxtest {

struct FillCall {
    const veloxia::ProjectedVertex* corner[3];  // as passed: top, middle, bottom
    veloxia::ProjectedVertex value[3];          // their fields at the time of the call
    int u[3], v[3];
    const veloxia::Texture* texture;
};

struct ShadeCall {
    int depth, level;
};

extern std::vector<FillCall> fillCalls;
extern std::vector<ShadeCall> shadeCalls;
extern int projectCalls;

int recordFill(const veloxia::ProjectedVertex* a, int ua, int va, const veloxia::ProjectedVertex* b, int ub, int vb,
               const veloxia::ProjectedVertex* c, int uc, int vc, const veloxia::Texture* texture);
// Returns (depth + level) mod 31 + 1, so a stored shade tells which arguments it came from.
int16_t recordShade(int depth, int level);
// projectPortrait, counted.
int countingProject(const int16_t view[3], veloxia::ProjectedVertex* out);

// A test fixture: initialises the engine, installs the recorders in the global render context, empties the
// records, and makes `matrix` (identity until changed) the current matrix. The destructor puts the matrix stack back as it was and turns lighting off.
class PipelineFixture : public ::testing::Test {
protected:
    PipelineFixture();
    ~PipelineFixture() override;

    veloxia::Mat34 matrix;
    veloxia::Texture opaque{};   // drawMode 0, no culling
    veloxia::Texture blended{};  // drawMode 2, no culling
    veloxia::Texture culled{};   // drawMode 0, back faces culled

private:
    veloxia::MatrixStack savedStack;
};

// A vertex whose projected fields are given directly (classification and queue tests).
veloxia::MeshVertex screenVertex(int sx, int sy, int depth = 300, int shade = 16);
// A vertex at a model position (with the identity matrix, its view position).
veloxia::MeshVertex modelVertex(int x, int y, int z, int light = 20);
veloxia::MeshFace makeFace(veloxia::ProjectedVertex* a, veloxia::ProjectedVertex* b, veloxia::ProjectedVertex* c,
                           veloxia::Texture* texture);

// Which corners of `face` a fill call received, top to bottom: 0 a, 1 b, 2 c, -1 none.
std::vector<int> cornerOrder(const FillCall& call, const veloxia::MeshFace& face);

}  // namespace vxtest
