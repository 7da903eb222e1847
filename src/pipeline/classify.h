// SPDX-License-Identifier: MIT
// Face classification: back-face, column and row tests and the corner order by row, inline so
// that the object road classifies without a call per face.
#pragma once

#include <algorithm>
#include <cstdint>

#include <veloxia/engine.h>
#include <veloxia/types.h>

#include "engine/wrap.h"

namespace veloxia::pipeline {

// Corner order codes (bits 0..3 top corner, 4..7 middle, 8..11 bottom; 0 a, 1 b, 2 c).
inline constexpr int32_t kOrderABC = 0x210;
inline constexpr int32_t kOrderACB = 0x120;
inline constexpr int32_t kOrderCAB = 0x102;
inline constexpr int32_t kOrderBAC = 0x201;
inline constexpr int32_t kOrderCBA = 0x012;
inline constexpr int32_t kOrderBCA = 0x021;

// The order code of a face that is drawn, or 0 for one that is not (no code is 0).
inline int32_t classifyFace(const MeshFace& f) {
    const ProjectedVertex& a = *f.corner[0].vertex;
    const ProjectedVertex& b = *f.corner[1].vertex;
    const ProjectedVertex& c = *f.corner[2].vertex;
    const int32_t xa = a.sx, ya = a.sy, xb = b.sx, yb = b.sy, xc = c.sx, yc = c.sy;

    // Back faces: clockwise on the screen (rows grow downwards) and zero area are culled.
    // The cross products wrap in 32 bits like every product of the pipeline.
    if (f.texture->backfaceCull != 0 && wrapMul(xb - xa, yc - ya) >= wrapMul(yb - ya, xc - xa)) return 0;

    if (std::max({xa, xb, xc}) < 0 || std::min({xa, xb, xc}) >= kBufferWidth) return 0;

    // A fixed decision tree, no swaps. Ties keep a before b and a before c; b and c keep their
    // order when a is above them and swap when a is below them.
    int32_t order, top, bottom;
    if (ya <= yb) {
        if (yb <= yc) {
            order = kOrderABC, top = ya, bottom = yc;
        } else if (yc >= ya) {
            order = kOrderACB, top = ya, bottom = yb;
        } else {
            order = kOrderCAB, top = yc, bottom = yb;
        }
    } else if (yc >= ya) {
        order = kOrderBAC, top = yb, bottom = yc;
    } else if (yc <= yb) {
        order = kOrderCBA, top = yc, bottom = ya;
    } else {
        order = kOrderBCA, top = yb, bottom = ya;
    }
    // Rows: the face must start above the last row, end on or below the first, and have height.
    if (top >= kBufferHeight || bottom < 0 || bottom <= top) return 0;
    return order;
}

// Calls the fillTriangle slot with the corners in the order the code names. The code must be
// one classifyFace returned.
inline int32_t fillInOrder(const RenderContext* rc, const MeshFace& f, int32_t order) {
    const FaceCorner& top = f.corner[order & 15];
    const FaceCorner& mid = f.corner[(order >> 4) & 15];
    const FaceCorner& bottom = f.corner[order >> 8];
    return rc->fillTriangle(top.vertex, top.u, top.v, mid.vertex, mid.u, mid.v, bottom.vertex, bottom.u,
                            bottom.v, f.texture);
}

// Copies a blended face into the face store and queues the copy, if it is drawn at all; a full
// store drops it. For faces whose own storage does not last until the flush.
void storeAndQueue(MeshFace* f, int32_t copyVertices);

}  // namespace veloxia::pipeline
