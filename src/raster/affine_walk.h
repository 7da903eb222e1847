// SPDX-License-Identifier: MIT
// The affine filler's walk for narrow triangles (every triangle of the benchmark's objects) with
// vector lanes: SSE2 on x86-64 (affine_walk_sse2.h), NEON on aarch64 (affine_walk_neon.h). Each
// of those gives its lanes' operations (WalkLanes, for vector_edge.h's edges), the texture's lanes
// (texelLanes) and the rows (affineRows); the triangle is walked here the same way for both,
// with the same rows, values and pixels as the generic walk of walk.h with AffineEdges.
#pragma once

#include <algorithm>
#include <cstdint>

#include <veloxia/display.h>

#include "raster/affine_walk_neon.h"
#include "raster/affine_walk_sse2.h"
#include "raster/span.h"
#include "raster/walk.h"

#if VX_RASTER_SSE2 || VX_RASTER_NEON
#define VX_RASTER_AFFINE_WALK 1
namespace veloxia::raster {

// walkTriangle for AffineEdges<Mode, true>, row for row: corners sorted by row, the triangle
// narrow (narrowTriangle); Inside as insideColumns says.
template <int Mode, bool Inside>
void walkAffineNarrow(const Corner& a, const Corner& b, const Corner& c, const TextureSetup tex) {
    const AffineSpan<Mode> kernel{tex};
    const TexelLanes lanes = texelLanes(tex);
    const auto atA = affineValues<WalkLanes>(a, tex.width);
    VectorEdge longEdge = vectorEdge<WalkLanes>(a, c, atA, tex.width);
    int32_t y = a.sy;

    if (b.sy - a.sy >= 1 && b.sy >= 0) {
        VectorEdge shortEdge = vectorEdge<WalkLanes>(a, b, atA, tex.width);
        // Equal x steps: a degenerate triangle, and nothing is drawn, not even below b.
        if (longEdge.dx == shortEdge.dx) return;
        if (a.sy < 0) {
            longEdge.advanceBy(-a.sy);
            shortEdge.advanceBy(-a.sy);
            y = 0;
        } else {  // row a.sy is a single point and is not drawn
            longEdge.advance();
            shortEdge.advance();
            y = a.sy + 1;
        }
        const int32_t end = std::min<int32_t>(b.sy, kBufferHeight);
        if (longEdge.dx > shortEdge.dx) {
            affineRows<Mode, Inside>(shortEdge, longEdge, y, end, kernel, lanes);
        } else {
            affineRows<Mode, Inside>(longEdge, shortEdge, y, end, kernel, lanes);
        }
        if (b.sy >= kBufferHeight) return;
        y = b.sy;  // the long edge now stands at row b.sy
    }

    if (c.sy - b.sy < 1) return;
    VectorEdge shortEdge = vectorEdge<WalkLanes>(b, c, affineValues<WalkLanes>(b, tex.width), tex.width);
    if (y < 0) {  // upper part skipped with its rows above the screen
        longEdge.advanceBy(-a.sy);
        shortEdge.advanceBy(-b.sy);
        y = 0;
    }
    if (longEdge.x == shortEdge.x) return;
    const int32_t end = std::min<int32_t>(c.sy, kBufferHeight);
    if (longEdge.x > shortEdge.x) {
        affineRows<Mode, Inside>(shortEdge, longEdge, y, end, kernel, lanes);
    } else {
        affineRows<Mode, Inside>(longEdge, shortEdge, y, end, kernel, lanes);
    }
}

// The walk of a narrow triangle in the given draw mode (textureMode), with or without the
// clipping tests.
template <int Mode>
void walkAffineNarrow(const Corner& a, const Corner& b, const Corner& c, const TextureSetup& tex) {
    if (insideColumns(a, b, c)) {
        walkAffineNarrow<Mode, true>(a, b, c, tex);
    } else {
        walkAffineNarrow<Mode, false>(a, b, c, tex);
    }
}

}  // namespace veloxia::raster
#else
#define VX_RASTER_AFFINE_WALK 0
#endif
