// SPDX-License-Identifier: MIT
// The world road: faces whose vertices are shared across faces and cells, processed once a frame
// by their stamps, with a near zone in front of the eye where faces are split instead of dropped.
//
// View z of a corner: -8191..-64 projected; -63..335 near zone (depth marker 1, the face is
// subdivided); 336 and above or -8192 and below drop the face at once.
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>

#include "pipeline/classify.h"
#include "pipeline/vertex_stage.h"

namespace veloxia {

namespace {

using pipeline::kNearMarker;
using pipeline::kTooCloseZ;
using pipeline::Lighting;
using pipeline::Projection;

enum class CornerState { projected, nearZone, dropped };

template <Lighting L>
CornerState processCorner(const RenderContext* rc, const Mat34& m, MeshVertex* v) {
    if (frameStampMatches(v->stamp, rc->frameCounter)) {
        if (v->depth == 0) return CornerState::dropped;
        return v->depth == kNearMarker ? CornerState::nearZone : CornerState::projected;
    }
    v->stamp = frameStamp(rc->frameCounter);
    const int16_t vz = pipeline::viewZ(m, *v);
    v->vz = vz;
    if (pipeline::droppedOnNearRoad(vz)) {
        v->depth = 0;
        return CornerState::dropped;
    }
    const pipeline::StageSlots slots = pipeline::stageSlots(rc);
    if (pipeline::projectedOnNearRoad(vz)) {
        pipeline::projectAndShade<Projection::slot, L>(slots, m, *v, vz, v);
        return CornerState::projected;
    }
    // Near zone: not projected, but shaded at its true distance.
    const pipeline::ViewPosition view{pipeline::viewX(m, *v), pipeline::viewY(m, *v), vz};
    v->vx = view.x;
    v->vy = view.y;
    v->depth = kNearMarker;
    v->shade = slots.shade(low16(-vz), pipeline::lightLevel<L>(m, *v, view));
    return CornerState::nearZone;
}

template <Lighting L>
void renderFace(RenderContext* rc, MeshFace* f) {
    const Mat34& m = *matrixStack.top;
    bool nearZone = false;
    for (const FaceCorner& corner : f->corner) {
        const CornerState state = processCorner<L>(rc, m, static_cast<MeshVertex*>(corner.vertex));
        if (state == CornerState::dropped) return;  // the later corners stay untouched
        nearZone |= state == CornerState::nearZone;
    }
    const auto vz = [f](int k) { return static_cast<const MeshVertex*>(f->corner[k].vertex)->vz; };
    if (vz(0) >= kTooCloseZ && vz(1) >= kTooCloseZ && vz(2) >= kTooCloseZ) return;
    if (nearZone)
        subdivideFace(rc, f);
    else if (pipeline::isBlended(*f->texture))
        queueFace(rc, f);
    else
        drawFaceNow(rc, f);
}

}  // namespace

// The corners of a world face are MeshVertex records (the world's own vertices). This road lights
// the view position with the normal as stored, without turning it.
void renderFaceClipped(RenderContext* rc, MeshFace* f) {
    if (lightCount != 0)  // read once for the face
        renderFace<Lighting::viewStoredNormal>(rc, f);
    else
        renderFace<Lighting::off>(rc, f);
}

}  // namespace veloxia
