// SPDX-License-Identifier: MIT
// The vertex stage shared by the object road and the world road: view-space transform by the
// current matrix and the two projections, inline so that the per-vertex loops keep the matrix
// in registers and call no function for them.
#pragma once

#include <cstdint>

#include <veloxia/engine.h>
#include <veloxia/types.h>

#include "engine/wrap.h"

namespace veloxia::pipeline {

// Depth marker of a world-road vertex in the near zone: not projected this frame, its faces go
// to subdivision. Projected depths are 64 or more, so it is never a real depth.
inline constexpr int16_t kNearMarker = 1;

// View-space components of a model position, as matTransformZ and matTransformXY compute them:
// 2.14 entries times 16-bit coordinates, summed in 32 bits (wrapping), shifted right by 14,
// plus the translation, kept to 16 bits.
inline int16_t viewZ(const Mat34& m, const MeshVertex& v) {
    return low16(wrapAdd(m[11], dot14(m[2], v.x, m[5], v.y, m[8], v.z)));
}
inline int16_t viewX(const Mat34& m, const MeshVertex& v) {
    return low16(wrapAdd(m[9], dot14(m[0], v.x, m[3], v.y, m[6], v.z)));
}
inline int16_t viewY(const Mat34& m, const MeshVertex& v) {
    return low16(wrapAdd(m[10], dot14(m[1], v.x, m[4], v.y, m[7], v.z)));
}

// The ProjectionLut entry (16.16 pixels per view unit) for a depth. Depths outside the table
// take its nearest entry: a point behind the eye takes entry 0 and lands on the centre, a point
// past the last entry (the world's box corners reach depth 8704) is projected at depth 8703.
inline int32_t projectionScale(int32_t depth) {
    if (depth < 0) return ProjectionLut[0];
    if (depth >= kProjectionLutSize) return ProjectionLut[kProjectionLutSize - 1];
    return ProjectionLut[depth];
}

// Portrait: view y along the columns, view x along the rows, centre (160, 120).
inline int projectPortraitXYZ(int32_t vx, int32_t vy, int32_t vz, ProjectedVertex* out) {
    const int32_t depth = -vz;
    const int32_t s = projectionScale(depth);
    out->sx = low16(160 + sar(wrapMul(vy, s), 16));
    out->sy = low16(120 + sar(wrapMul(vx, s), 16));
    out->depth = low16(depth);
    return low16(depth);
}

// Landscape: view x along the columns, view y up the rows.
inline int projectLandscapeXYZ(int32_t vx, int32_t vy, int32_t vz, ProjectedVertex* out) {
    const int32_t depth = -vz;
    const int32_t s = projectionScale(depth);
    out->sx = low16(160 + sar(wrapMul(vx, s), 16));
    out->sy = low16(120 - sar(wrapMul(vy, s), 16));
    out->depth = low16(depth);
    return low16(depth);
}

// Calls the project slot with the vertex's own view position.
inline int projectThroughSlot(const RenderContext* rc, MeshVertex* v) {
    const int16_t view[3] = {v->vx, v->vy, v->vz};
    return rc->project(view, v);
}

}  // namespace veloxia::pipeline
