// SPDX-License-Identifier: MIT
// The edges and rows of the narrow affine walk (affine_walk.h) with SSE2: the same rows, values
// and pixels as the generic walk of walk.h with AffineEdges, one function per draw mode so that
// the edges, the texture and the row pointer stay in registers from the first row to the last.
//
// Each edge keeps s, z, u, v in one vector and x beside it. A row's column steps of all four
// quantities are then one vector subtract, shift, multiply and shift; rows of four columns or
// more hand their lanes to the four-column loop of span.h, shorter ones take each cell's values
// from the lanes as they step. A row of one column needs no steps at all: its only cell takes
// the left edge's values.
#pragma once

#include <algorithm>
#include <cstdint>

#include <veloxia/display.h>
#include <veloxia/fixedmath.h>

#include "engine/wrap.h"
#include "raster/span.h"
#include "raster/vector_edge.h"
#include "raster/walk.h"

#if VX_RASTER_SSE2
namespace veloxia::raster {

// Each lane times n, keeping the low 32 bits of the product (SSE2 multiplies two lanes at once).
[[gnu::always_inline]] inline __m128i timesLanes(__m128i lanes, int32_t n) {
    const __m128i factor = _mm_set1_epi32(n);
    const __m128i even = _mm_mul_epu32(lanes, factor);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(lanes, 32), factor);
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, 0x08), _mm_shuffle_epi32(odd, 0x08));
}

// Lane k of a vector as a scalar.
template <int K>
[[gnu::always_inline]] inline int32_t lane(__m128i v) {
    return _mm_cvtsi128_si32(_mm_shuffle_epi32(v, K * 0x55));
}

// The edge's operations (vector_edge.h) in SSE2.
struct Sse2Lanes {
    using Lanes = __m128i;
    [[gnu::always_inline]] static Lanes add(Lanes a, Lanes b) { return _mm_add_epi32(a, b); }
    [[gnu::always_inline]] static Lanes times(Lanes lanes, int32_t n) { return timesLanes(lanes, n); }
    [[gnu::always_inline]] static Lanes of(int32_t l0, int32_t l1, int32_t l2, int32_t l3) {
        return _mm_setr_epi32(l0, l1, l2, l3);
    }
};
using WalkLanes = Sse2Lanes;
using VectorEdge = VectorEdgeOf<WalkLanes>;

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
                    putPixel<Mode>(cell, z, kernel.texel(lane<2>(left.at), lane<3>(left.at)),
                                   sar(_mm_cvtsi128_si32(left.at), 16));
                }
            } else {
                // columnStep on every lane: ((R - L) >> 14) * recip >> 3, the product wrapping.
                const int32_t recip = ReciprocalLut[xr - xl];
                const __m128i step =
                    _mm_srai_epi32(timesLanes(_mm_srai_epi32(_mm_sub_epi32(right.at, left.at), 14), recip), 3);
                __m128i start = left.at;
                int32_t first = xl, last = xr;
                if constexpr (!Inside) {
                    if (xl < 0) {  // values as on the unclipped row, advanced to column 0
                        start = _mm_add_epi32(start, timesLanes(step, -xl));
                        first = 0;
                    }
                    last = std::min(xr, kBufferWidth);
                }
                uint32_t* const cell = row + first;
                uint32_t* const stop = row + last;
                // Above the last row the cells a last group reads past a span's end (at most
                // three) are inside the FrameBuffer whatever the span.
                uint32_t* from = cell;
                if (y < kBufferHeight - 1 ? stop - cell >= kFourColumnsFrom : fourColumnsFit(cell, stop)) {
                    const ptrdiff_t columns = stop - cell;
                    if ((columns & 3) == 1) {  // the last column on its own, cheaper than a group of one
                        affineGroupsSse2<Mode>(cell, columns - 1, start, step, lanes);
                        from = stop - 1;
                        start = _mm_add_epi32(start, timesLanes(step, int32_t(columns - 1)));
                    } else {
                        affineGroupsSse2<Mode>(cell, columns, start, step, lanes);
                        from = stop;
                    }
                }
                // each cell's values straight from the lanes, the lanes a column on
                for (uint32_t* at = from; at != stop; ++at, start = _mm_add_epi32(start, step)) {
                    const int32_t z = lane<1>(start);
                    if (z < int32_t(*at)) {
                        putPixel<Mode>(at, z, kernel.texel(lane<2>(start), lane<3>(start)),
                                       sar(_mm_cvtsi128_si32(start), 16));
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
