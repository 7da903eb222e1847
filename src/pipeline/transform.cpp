// SPDX-License-Identifier: MIT
// The object road: every vertex of a scene object through the current matrix, the projection
// and the shade slot; then every face whose three corners survived goes to a face path.
//
// View z between -8191 and -65 is visible; anything else marks the vertex with depth 0 before
// its x and y are computed, so a rejected vertex costs one dot product.
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>

#include "pipeline/classify.h"
#include "pipeline/vertex_stage.h"

namespace veloxia {

namespace {

using pipeline::viewX;
using pipeline::viewY;
using pipeline::viewZ;

// View z outside -8191..-65 is rejected on the object road.
constexpr bool objectRoadRejects(int32_t vz) { return vz >= -64 || vz <= -8192; }

enum class Projection { portrait, landscape, slot };

// One loop per projection and lighting, chosen before the loop: the two built-in projections
// are inlined, any other project slot is called; lights are summed only in the lit loops.
template <Projection P, bool Lit>
void transformVertices(const RenderContext* rc, MeshVertex* v, MeshVertex* end) {
    const Mat34 m = *matrixStack.top;  // a local copy: the vertex writes cannot alias it
    const ShadeFn shade = rc->shade;
    for (; v != end; ++v) {
        const int16_t vz = viewZ(m, *v);
        v->vz = vz;
        if (objectRoadRejects(vz)) {
            v->depth = 0;
            continue;
        }
        const int16_t vx = viewX(m, *v);
        const int16_t vy = viewY(m, *v);
        v->vx = vx;
        v->vy = vy;
        if constexpr (P == Projection::portrait) {
            pipeline::projectPortraitXYZ(vx, vy, vz, v);
        } else if constexpr (P == Projection::landscape) {
            pipeline::projectLandscapeXYZ(vx, vy, vz, v);
        } else {
            pipeline::projectThroughSlot(rc, v);
        }
        int level = v->light;
        if constexpr (Lit) {
            // The normal turns with the object (3x3 part only); the light sees the view position.
            const Vec3 normal{v->nx, v->ny, v->nz};
            Vec3 rotated;
            matRotateVector(&m, &normal, &rotated);
            const int16_t position[3] = {vx, vy, vz};
            const int16_t direction[3] = {rotated.x, rotated.y, rotated.z};
            level = wrapAdd(level, lightSum(position, direction));
        }
        v->shade = shade(v->depth, level);
    }
}

template <bool Lit>
void transformWithLighting(const RenderContext* rc, MeshVertex* begin, MeshVertex* end) {
    if (rc->project == projectPortrait)
        transformVertices<Projection::portrait, Lit>(rc, begin, end);
    else if (rc->project == projectLandscape)
        transformVertices<Projection::landscape, Lit>(rc, begin, end);
    else
        transformVertices<Projection::slot, Lit>(rc, begin, end);
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
        transformWithLighting<true>(rc, begin, end);
    else
        transformWithLighting<false>(rc, begin, end);
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
        if (f->texture->drawMode < 2)
            pipeline::fillInOrder(rc, *f, order);
        else
            insertFaceQueue(&faceQueue, f, order);
    }
}

int32_t projectVertex(RenderContext* rc, MeshVertex* v) {
    const Mat34& m = *matrixStack.top;
    v->vz = viewZ(m, *v);
    if (objectRoadRejects(v->vz)) {
        v->depth = 0;
        return 0;
    }
    v->vx = viewX(m, *v);
    v->vy = viewY(m, *v);
    return pipeline::projectThroughSlot(rc, v);
}

}  // namespace veloxia
