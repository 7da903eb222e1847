// SPDX-License-Identifier: MIT
// The world road: faces whose vertices are shared across faces and cells, processed once a frame
// by their stamps, with a near zone in front of the eye where faces are split instead of dropped.
//
// View z of a corner: -8191..-64 projected; -63..335 near zone (depth marker 1, the face is
// subdivided); 336 and above or -8192 and below drop the face at once.
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>

#include "pipeline/vertex_stage.h"

namespace veloxia {

namespace {

enum class CornerState { projected, nearZone, dropped };

using pipeline::kNearMarker;

// A face is drawn only when some corner lies deeper than this view z.
constexpr int32_t kTooCloseZ = -214;

CornerState processCorner(const RenderContext* rc, const Mat34& m, bool lit, MeshVertex* v) {
    if (frameStampMatches(v->stamp, rc->frameCounter)) {
        if (v->depth == 0) return CornerState::dropped;
        return v->depth == kNearMarker ? CornerState::nearZone : CornerState::projected;
    }
    v->stamp = frameStamp(rc->frameCounter);
    const int16_t vz = pipeline::viewZ(m, *v);
    v->vz = vz;
    if (vz >= 336 || vz <= -8192) {
        v->depth = 0;
        return CornerState::dropped;
    }
    v->vx = pipeline::viewX(m, *v);
    v->vy = pipeline::viewY(m, *v);
    int depth;
    CornerState state;
    if (vz <= -64) {
        pipeline::projectThroughSlot(rc, v);
        depth = v->depth;
        state = CornerState::projected;
    } else {
        v->depth = kNearMarker;
        depth = low16(-vz);  // shaded at its true distance
        state = CornerState::nearZone;
    }
    int level = v->light;
    if (lit) {  // this road passes the normal as stored, without rotating it
        const int16_t position[3] = {v->vx, v->vy, vz};
        const int16_t normal[3] = {v->nx, v->ny, v->nz};
        level = wrapAdd(level, lightSum(position, normal));
    }
    v->shade = rc->shade(depth, level);
    return state;
}

}  // namespace

// The corners of a world face are MeshVertex records (the world's own vertices).
void renderFaceClipped(RenderContext* rc, MeshFace* f) {
    const Mat34& m = *matrixStack.top;
    const bool lit = lightCount != 0;  // read once for the face
    bool nearZone = false;
    for (const FaceCorner& corner : f->corner) {
        const CornerState state = processCorner(rc, m, lit, static_cast<MeshVertex*>(corner.vertex));
        if (state == CornerState::dropped) return;  // the later corners stay untouched
        nearZone |= state == CornerState::nearZone;
    }
    const auto vz = [f](int k) { return static_cast<const MeshVertex*>(f->corner[k].vertex)->vz; };
    if (vz(0) >= kTooCloseZ && vz(1) >= kTooCloseZ && vz(2) >= kTooCloseZ) return;
    if (nearZone)
        subdivideFace(rc, f);
    else if (f->texture->drawMode >= 2)
        queueFace(rc, f);
    else
        drawFaceNow(rc, f);
}

}  // namespace veloxia
