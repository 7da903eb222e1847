// SPDX-License-Identifier: MIT
// The triangle walk shared by the three fillers.
//
// The triangle is split at its middle corner b into an upper part (rows a.sy..b.sy) and a lower
// part (rows b.sy..c.sy). The long edge a-c and the short edge of each part are walked row by
// row in 16.16 with no sub-pixel correction: rows a.sy < y < c.sy are drawn, plus row a.sy
// when a.sy = b.sy (flat top), clipped to 0 <= y < 240. The bottom row c.sy is never drawn.
//
// The walk is a template over the quantities the edges carry. An Edges type provides:
//   using V                                 a Values array, x at kX
//   V at(const Corner&)                     the quantities at a corner
//   V steps(const Corner&, const Corner&, r)  the change per row from one corner to another
//   void span(const V& left, const V& right, int32_t y)  draws one row
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

#include <veloxia/fixedmath.h>
#include <veloxia/types.h>

#include "engine/wrap.h"
#include "raster/span.h"

namespace veloxia::raster {

// One corner as the walk reads it: the vertex fields and the 12.4 texture coordinates.
struct Corner {
    int16_t sx, sy, depth, shade, u, v;
};

inline Corner cornerOf(const ProjectedVertex& p, int u, int v) {
    // The coordinates are 16-bit values passed as int; only their low 16 bits count.
    return {p.sx, p.sy, p.depth, p.shade, low16(u), low16(v)};
}

// The corners are expected sorted by row. Any other order a caller passes through the slot is
// sorted here (stably, so equal rows keep their order) rather than walked outside its edges.
inline void sortByRow(Corner& a, Corner& b, Corner& c) {
    if (b.sy < a.sy) std::swap(a, b);
    if (c.sy < b.sy) std::swap(b, c);
    if (b.sy < a.sy) std::swap(a, b);
}

// Edge-row slope of a table lookup: R(n) = ReciprocalLut[n AND 8191]. Row differences above
// 8191 wrap here and give wrong slopes (only for corners far off the screen).
inline int32_t rowReciprocal(int32_t rows) { return ReciprocalLut[rows & kReciprocalIndexMask]; }

// True when no span of the triangle can be wider than the reciprocal table. ReciprocalLut[n]
// is 131072 / n truncated, so an edge walked n rows moves at most its corners' x difference
// (plus a pixel of rounding) as long as no row difference wraps the table and no 16.16 x wraps
// past 2^31: every span then lies within the corners' columns, one pixel either side.
inline bool narrowTriangle(const Corner& a, const Corner& b, const Corner& c) {
    constexpr int32_t kFarColumn = 16384;  // far from the 16.16 limit of 32767
    const int32_t left = std::min({a.sx, b.sx, c.sx}), right = std::max({a.sx, b.sx, c.sx});
    return left >= -kFarColumn && right <= kFarColumn && right - left <= kWidestSpan - 4 &&
           c.sy - a.sy <= kReciprocalIndexMask;
}

// True when every span of a narrow triangle lies within columns 0..319. ReciprocalLut[n] is
// 131072 / n truncated, so an edge walked n rows (n < 8192) ends short of its far corner's
// column, or, stepping left, past it by less than 8192 / 65536 of a column: every span starts
// at or right of the leftmost corner's column less one and ends at or left of the rightmost.
inline bool insideColumns(const Corner& a, const Corner& b, const Corner& c) {
    return std::min({a.sx, b.sx, c.sx}) >= 1 && std::max({a.sx, b.sx, c.sx}) <= kBufferWidth - 2;
}

// Per-row steps of x, s and z: (difference of sx, shade, depth) * r >> 1.
template <class V>
inline void stepsXsz(V& step, const Corner& from, const Corner& to, int32_t r) {
    step[kX] = sar(wrapMul(to.sx - from.sx, r), 1);
    step[kS] = sar(wrapMul(to.shade - from.shade, r), 1);
    step[kZ] = sar(wrapMul(to.depth - from.depth, r), 1);
}

template <class V>
inline void atXsz(V& at, const Corner& p) {
    at[kX] = wrapShl(p.sx, 16);
    at[kS] = wrapShl(p.shade, 16);
    at[kZ] = wrapShl(p.depth, 16);
}

template <class V>
struct Edge {
    V at;
    V step;
};

// Draws rows y..end-1 between two edges and leaves both advanced to row end.
template <class Edges, class V>
inline void walkRows(const Edges& edges, Edge<V>& left, Edge<V>& right, int32_t y, int32_t end) {
    // Local copies: nothing the spans store can alias them, so they stay in registers.
    const Edges e = edges;
    V l = left.at, r = right.at;
    const V dl = left.step, dr = right.step;
    for (; y < end; ++y) {
        e.span(l, r, y);
        advance(l, dl);
        advance(r, dr);
    }
    left.at = l;
    right.at = r;
}

template <class Edges>
void walkTriangle(const Corner& a, const Corner& b, const Corner& c, const Edges& edges) {
    using V = typename Edges::V;
    Edge<V> longEdge{edges.at(a), edges.steps(a, c, rowReciprocal(c.sy - a.sy))};
    int32_t y = a.sy;

    if (b.sy - a.sy >= 1 && b.sy >= 0) {
        Edge<V> shortEdge{edges.at(a), edges.steps(a, b, rowReciprocal(b.sy - a.sy))};
        const int32_t longStep = longEdge.step[kX];
        const int32_t shortStep = shortEdge.step[kX];
        // Equal x steps: a degenerate triangle, and nothing is drawn, not even below b.
        if (longStep == shortStep) return;
        if (a.sy < 0) {
            advanceBy(longEdge.at, longEdge.step, -a.sy);
            advanceBy(shortEdge.at, shortEdge.step, -a.sy);
            y = 0;
        } else {  // row a.sy is a single point and is not drawn
            advance(longEdge.at, longEdge.step);
            advance(shortEdge.at, shortEdge.step);
            y = a.sy + 1;
        }
        const int32_t end = std::min<int32_t>(b.sy, kBufferHeight);
        if (longStep > shortStep) {
            walkRows(edges, shortEdge, longEdge, y, end);
        } else {
            walkRows(edges, longEdge, shortEdge, y, end);
        }
        if (b.sy >= kBufferHeight) return;
        y = b.sy;  // the long edge now stands at row b.sy
    }

    if (c.sy - b.sy < 1) return;
    Edge<V> shortEdge{edges.at(b), edges.steps(b, c, rowReciprocal(c.sy - b.sy))};
    if (y < 0) {  // upper part skipped with its rows above the screen
        advanceBy(longEdge.at, longEdge.step, -a.sy);
        advanceBy(shortEdge.at, shortEdge.step, -b.sy);
        y = 0;
    }
    const int32_t longX = longEdge.at[kX];
    const int32_t shortX = shortEdge.at[kX];
    if (longX == shortX) return;
    const int32_t end = std::min<int32_t>(c.sy, kBufferHeight);
    if (longX > shortX) {
        walkRows(edges, shortEdge, longEdge, y, end);
    } else {
        walkRows(edges, longEdge, shortEdge, y, end);
    }
}

}  // namespace veloxia::raster
