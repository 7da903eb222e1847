// SPDX-License-Identifier: MIT
// One edge of the narrow affine walk (affine_walk.h): x apart, s, z, u, v in one vector of four
// 32-bit lanes, and their steps a row. Written once for every instruction set: `Isa` names the
// vector type (Lanes) and three operations on it, each wrapping like the plain walk's sums and
// products: add, times (each lane times a scalar, low 32 bits) and of (four values as lanes 0..3).
#pragma once

#include <cstdint>

#include <veloxia/fixedmath.h>

#include "engine/wrap.h"
#include "raster/walk.h"

namespace veloxia::raster {

template <class Isa>
struct VectorEdgeOf {
    using Lanes = typename Isa::Lanes;
    int32_t x, dx;
    Lanes at, step;

    void advance() {
        x = wrapAdd(x, dx);
        at = Isa::add(at, step);
    }
    void advanceBy(int32_t rows) {
        x = wrapAdd(x, wrapMul(dx, rows));
        at = Isa::add(at, Isa::times(step, rows));
    }
};

// s, z, u, v at a corner, as AffineEdges::at gives them.
template <class Isa>
inline typename Isa::Lanes affineValues(const Corner& p, int32_t width) {
    return Isa::of(wrapShl(p.shade, 16), wrapShl(p.depth, 16), wrapShl(p.u, 12), wrapMul(wrapShl(p.v, 12), width));
}

// The edge from one corner to another, starting at the first corner's values, with
// AffineEdges::steps's steps a row.
template <class Isa>
inline VectorEdgeOf<Isa> vectorEdge(const Corner& from, const Corner& to, typename Isa::Lanes at, int32_t width) {
    const int32_t r = rowReciprocal(to.sy - from.sy);
    return {wrapShl(from.sx, 16), sar(wrapMul(to.sx - from.sx, r), 1), at,
            Isa::of(sar(wrapMul(to.shade - from.shade, r), 1), sar(wrapMul(to.depth - from.depth, r), 1),
                    sar(wrapMul(to.u - from.u, r), 5), wrapMul(sar(wrapMul(to.v - from.v, r), 5), width))};
}

}  // namespace veloxia::raster
