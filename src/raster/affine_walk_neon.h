// SPDX-License-Identifier: MIT
// The edges and rows of the narrow affine walk (affine_walk.h) with NEON on aarch64: the same
// rows, values and pixels as the generic walk of walk.h with AffineEdges, and the same shape as
// the SSE2 rows of affine_walk_sse2.h.
//
// Each edge keeps s, z, u, v in one vector and x beside it. The lanes are unsigned, so that
// every sum and product wraps as the plain walk's do; shifts that must keep the sign read them
// as signed. Rows of four columns or more hand their lanes to affineGroupsNeon (span_neon.h),
// shorter ones take each cell's values from the lanes as they step; a row of one column takes
// the left edge's values.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include <veloxia/display.h>
#include <veloxia/fixedmath.h>

#include "engine/wrap.h"
#include "raster/span.h"
#include "raster/vector_edge.h"
#include "raster/walk.h"

#if VX_RASTER_NEON
namespace veloxia::raster {

// Each lane times n, keeping the low 32 bits of the product.
[[gnu::always_inline]] inline uint32x4_t timesLanes(uint32x4_t lanes, int32_t n) {
    return vmulq_n_u32(lanes, uint32_t(n));
}

// Lane k of a vector as a signed scalar.
template <int K>
[[gnu::always_inline]] inline int32_t lane(uint32x4_t v) {
    return int32_t(vgetq_lane_u32(v, K));
}

// The edge's operations (vector_edge.h) in NEON; unsigned lanes, so every sum wraps.
struct NeonLanes {
    using Lanes = uint32x4_t;
    [[gnu::always_inline]] static Lanes add(Lanes a, Lanes b) { return vaddq_u32(a, b); }
    [[gnu::always_inline]] static Lanes times(Lanes lanes, int32_t n) { return timesLanes(lanes, n); }
    [[gnu::always_inline]] static Lanes of(int32_t l0, int32_t l1, int32_t l2, int32_t l3) {
        const Lanes v = {uint32_t(l0), uint32_t(l1), uint32_t(l2), uint32_t(l3)};
        return v;
    }
};
using WalkLanes = NeonLanes;
using VectorEdge = VectorEdgeOf<WalkLanes>;

// The texture as the four-column loop reads it, made once a triangle.
inline TexelLanes texelLanes(const TextureSetup& tex) {
    return {tex.texels, vdupq_n_u32(tex.uMask), vdupq_n_u32(tex.vMask)};
}

// Rows of at least this many columns take the four-column groups; shorter ones step the lanes.
inline constexpr ptrdiff_t kRowGroupsFrom = 4;

// Rows y..end-1 (inside the screen) between two edges; both are left advanced to row end.
// Inside: every span of the triangle lies within columns 0..319 (insideColumns), so no row
// needs the clipping tests.
template <int Mode, bool Inside>
[[gnu::always_inline]] inline void affineRows(VectorEdge& left, VectorEdge& right, int32_t y, int32_t end,
                                                  const AffineSpan<Mode>& kernel, const TexelLanes& lanes) {
    if (y >= end) return;
    uint32_t* row = FrameBuffer + y * kBufferWidth;
    for (; y < end; ++y, row += kBufferWidth) {
        const int32_t xl = sar(left.x, 16), xr = sar(right.x, 16);
        if ((Inside || (xr > 0 && xl < kBufferWidth)) && xr > xl) {
            if (xr - xl == 1) {  // xl >= 0 here: one cell, at the left edge's values
                uint32_t* const cell = row + xl;
                const int32_t z = lane<1>(left.at);
                if (z < int32_t(*cell)) {
                    putPixel<Mode>(cell, z, kernel.texel(lane<2>(left.at), lane<3>(left.at)), sar(lane<0>(left.at), 16));
                }
            } else {
                // columnStep on every lane: ((R - L) >> 14) * recip >> 3, the product wrapping.
                const int32_t recip = ReciprocalLut[xr - xl];
                const uint32x4_t step = sarLanes<3>(timesLanes(sarLanes<14>(vsubq_u32(right.at, left.at)), recip));
                uint32x4_t start = left.at;
                int32_t first = xl, last = xr;
                if constexpr (!Inside) {
                    if (xl < 0) {  // values as on the unclipped row, advanced to column 0
                        start = vaddq_u32(start, timesLanes(step, -xl));
                        first = 0;
                    }
                    last = std::min(xr, kBufferWidth);
                }
                uint32_t* const cell = row + first;
                uint32_t* const stop = row + last;
                const ptrdiff_t columns = stop - cell;
                // Above the last row the cells a last group reads past a span's end (at most
                // three) are inside the FrameBuffer whatever the span.
                uint32_t* from = cell;
                if (columns >= kRowGroupsFrom && (y < kBufferHeight - 1 || lastGroupInside(cell, columns))) {
                    if ((columns & 3) == 1) {  // the last column on its own, cheaper than a group of one
                        affineGroupsNeon<Mode>(cell, columns - 1, start, step, lanes);
                        from = stop - 1;
                        start = vaddq_u32(start, timesLanes(step, int32_t(columns - 1)));
                    } else {
                        affineGroupsNeon<Mode>(cell, columns, start, step, lanes);
                        from = stop;
                    }
                }
                // each cell's values straight from the lanes, the lanes a column on
                for (uint32_t* at = from; at != stop; ++at, start = vaddq_u32(start, step)) {
                    const int32_t z = lane<1>(start);
                    if (z < int32_t(*at)) {
                        putPixel<Mode>(at, z, kernel.texel(lane<2>(start), lane<3>(start)), sar(lane<0>(start), 16));
                    }
                }
            }
        }
        left.advance();
        right.advance();
    }
}

}  // namespace veloxia::raster
#endif
