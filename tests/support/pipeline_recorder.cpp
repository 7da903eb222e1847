// SPDX-License-Identifier: MIT
#include "support/pipeline_recorder.h"

namespace vxtest {

using namespace veloxia;

std::vector<FillCall> fillCalls;
std::vector<ShadeCall> shadeCalls;
int projectCalls = 0;

int recordFill(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
               const ProjectedVertex* c, int uc, int vc, const Texture* texture) {
    fillCalls.push_back({{a, b, c}, {*a, *b, *c}, {ua, ub, uc}, {va, vb, vc}, texture});
    return 1;
}

int16_t recordShade(int depth, int level) {
    shadeCalls.push_back({depth, level});
    return int16_t((depth + level) % 31 + 1);
}

int countingProject(const int16_t view[3], ProjectedVertex* out) {
    ++projectCalls;
    return projectPortrait(view, out);
}

PipelineFixture::PipelineFixture() : savedStack(matrixStack) {
    initEngine(&renderContext);  // tables, focal 350, an empty queue
    renderContext.frameCounter = 1;
    renderContext.fillTriangle = recordFill;
    renderContext.shade = recordShade;
    renderContext.project = projectPortrait;
    fillCalls.clear();
    shadeCalls.clear();
    projectCalls = 0;
    matIdentity(&matrix);
    matrixStack.top = &matrix;
    matrixStack.base = &matrix;
    matrixStack.capacity = 1;
    matrixStack.index = 0;
    opaque.width = opaque.height = 8;
    blended.width = blended.height = 8;
    blended.drawMode = 2;
    culled.width = culled.height = 8;
    culled.backfaceCull = 1;
}

PipelineFixture::~PipelineFixture() {
    matrixStack = savedStack;
    setLightCount(0);
    resetFaceQueue(&faceQueue);
}

MeshVertex screenVertex(int sx, int sy, int depth, int shade) {
    MeshVertex v{};
    v.sx = int16_t(sx);
    v.sy = int16_t(sy);
    v.depth = int16_t(depth);
    v.shade = int16_t(shade);
    return v;
}

MeshVertex modelVertex(int x, int y, int z, int light) {
    MeshVertex v{};
    v.x = int16_t(x);
    v.y = int16_t(y);
    v.z = int16_t(z);
    v.light = int16_t(light);
    return v;
}

MeshFace makeFace(ProjectedVertex* a, ProjectedVertex* b, ProjectedVertex* c, Texture* texture) {
    MeshFace f{};
    f.corner[0] = {a, 16, 32};
    f.corner[1] = {b, 48, 64};
    f.corner[2] = {c, -80, 96};
    f.texture = texture;
    f.cell = -1;
    return f;
}

std::vector<int> cornerOrder(const FillCall& call, const MeshFace& face) {
    std::vector<int> order;
    for (const ProjectedVertex* p : call.corner) {
        int index = -1;
        for (int k = 0; k < 3; ++k)
            if (face.corner[k].vertex == p) index = k;
        order.push_back(index);
    }
    return order;
}

}  // namespace vxtest
