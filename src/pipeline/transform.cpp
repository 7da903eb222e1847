// SPDX-License-Identifier: MIT
// The object road: every vertex of a scene object through the current matrix, the projection
// and the shade slot; then every face whose three corners survived goes to a face path.
//
// View z between -8191 and -65 is visible; anything else marks the vertex with depth 0 before
// its x and y are computed, so a rejected vertex costs one dot product. The stage itself is the
// one every road shares (vertex_stage.h).
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>

#include "pipeline/classify.h"
#include "pipeline/vertex_stage.h"

namespace veloxia {

namespace {

using pipeline::Lighting;
using pipeline::Projection;

// One loop per projection and lighting, chosen before the loop: the two built-in projections
// are inlined, any other project slot is called; lights are summed only in the lit loops.
template <Projection P, Lighting L>
void transformVertices(const RenderContext* rc, MeshVertex* v, MeshVertex* end) {
    const Mat34 m = *matrixStack.top;  // a local copy: the vertex writes cannot alias it
    const pipeline::StageSlots slots = pipeline::stageSlots(rc);
    const pipeline::ViewTransform toView(m);
    for (; v != end; ++v) {
        // All three components at once; x and y are kept only for a vertex that is projected.
        const pipeline::ViewPosition view = toView(*v);
        v->vz = view.z;
        if (!pipeline::projectedOnEveryRoad(view.z)) [[unlikely]] {  // keeps the visible path straight
            v->depth = 0;
            continue;
        }
        pipeline::projectAndShadeAt<P, L>(slots, m, *v, view, v);
    }
}

template <Lighting L>
void transformWithLighting(const RenderContext* rc, MeshVertex* begin, MeshVertex* end) {
    if (rc->project == projectPortrait)
        transformVertices<Projection::portrait, L>(rc, begin, end);
    else if (rc->project == projectLandscape)
        transformVertices<Projection::landscape, L>(rc, begin, end);
    else
        transformVertices<Projection::slot, L>(rc, begin, end);
}

}  // namespace

int projectPortrait(const int16_t view[3], ProjectedVertex* out) {
    return pipeline::projectPortraitXYZ(view[0], view[1], view[2], out);
}

int projectLandscape(const int16_t view[3], ProjectedVertex* out) {
    return pipeline::projectLandscapeXYZ(view[0], view[1], view[2], out);
}

void transformObject(RenderContext* rc, SceneObject* obj) {
    MeshVertex* begin = obj->vertices.get();
    MeshVertex* end = begin + obj->vertexCount;
    if (lightCount != 0)  // read once for the whole object
        transformWithLighting<Lighting::viewTurnedNormal>(rc, begin, end);
    else
        transformWithLighting<Lighting::off>(rc, begin, end);
}

void renderObject(RenderContext* rc, SceneObject* obj) {
    transformObject(rc, obj);
    MeshFace* end = obj->faces.get() + obj->faceCount;
    for (MeshFace* f = obj->faces.get(); f != end; ++f) {
        // A face with a rejected corner is dropped whole: this road has no near-plane handling.
        if (f->corner[0].vertex->depth == 0 || f->corner[1].vertex->depth == 0 ||
            f->corner[2].vertex->depth == 0)
            continue;
        const int32_t order = pipeline::classifyFace(*f);
        if (order == 0) continue;
        if (pipeline::isBlended(*f->texture))
            insertFaceQueue(&faceQueue, f, order);
        else
            pipeline::fillInOrder(rc, *f, order);
    }
}

int32_t projectVertex(RenderContext* rc, MeshVertex* v) {
    const Mat34& m = *matrixStack.top;
    v->vz = pipeline::viewZ(m, *v);
    if (!pipeline::projectedOnEveryRoad(v->vz)) {
        v->depth = 0;
        return 0;
    }
    v->vx = pipeline::viewX(m, *v);
    v->vy = pipeline::viewY(m, *v);
    return pipeline::projectThroughSlot(rc, v);
}

}  // namespace veloxia
