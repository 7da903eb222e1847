// SPDX-License-Identifier: MIT
// The three triangle fillers and their span routines.
//
// fillAffine maps the texture linearly in screen space, fillPerspective with perspective
// correction, fillFlat paints the texture's averageColor; all three shade by Gouraud and test
// depth against the whole signed FrameBuffer cell. They share one walk (walk.h) and differ only
// in the quantities their edges carry and the pixel loop their spans run (span.h).
#include <veloxia/raster.h>

#include <algorithm>

#include "engine/wrap.h"
#include "raster/affine_walk.h"
#include "raster/span.h"
#include "raster/walk.h"

namespace veloxia {

namespace raster {
namespace {

// Edges of the affine filler: x, s, z, u = u << 12, v = (v << 12) * width. Narrow: the
// triangle's spans all fit the reciprocal table (narrowTriangle).
template <int Mode, bool Narrow>
struct AffineEdges {
    using V = Values<5>;
    TextureSetup tex;

    V at(const Corner& p) const {
        V v;
        atXsz(v, p);
        v[kU] = wrapShl(p.u, 12);
        v[kV] = wrapMul(wrapShl(p.v, 12), tex.width);
        return v;
    }
    V steps(const Corner& from, const Corner& to, int32_t r) const {
        V step;
        stepsXsz(step, from, to, r);
        step[kU] = sar(wrapMul(to.u - from.u, r), 5);
        step[kV] = wrapMul(sar(wrapMul(to.v - from.v, r), 5), tex.width);
        return step;
    }
    void span(const V& l, const V& r, int32_t y) const {
        drawSpan<AffineSpan<Mode>, 5, !Narrow>(AffineSpan<Mode>{tex}, l, r, y);
    }
};

// ReciprocalLut is indexed by vertex depth and PerspectiveLut by the interpolated w >> 8, which
// stays inside its 4096 entries only for depths of 33 and more. The pipeline projects 64..8191;
// any other depth is textured as the nearest of 33 and 8191 (a nearer corner as if at 33). The
// depth test and the stored depth still use the corner's own depth.
inline int32_t perspectiveDepth(int32_t depth) { return std::clamp(depth, 33, kFarthestDepth); }

// Edges of the perspective filler: x, s, z, w, uw, vw (see span.h for their scales).
template <int Mode, bool Narrow>
struct PerspectiveEdges {
    using V = Values<6>;
    TextureSetup tex;

    V at(const Corner& p) const {
        const int32_t recip = ReciprocalLut[perspectiveDepth(p.depth)];
        V v;
        atXsz(v, p);
        v[kW] = wrapShl(recip, 8);
        v[kUW] = wrapMul(p.u, recip);
        v[kVW] = wrapMul(sar(wrapMul(p.v, tex.width), 4), recip);
        return v;
    }
    V steps(const Corner& from, const Corner& to, int32_t r) const {
        const V a = at(from), b = at(to);
        V step;
        stepsXsz(step, from, to, r);
        step[kW] = sar(wrapMul(sar(wrapSub(b[kW], a[kW]), 8), r), 9);
        step[kUW] = sar(wrapMul(sar(wrapSub(b[kUW], a[kUW]), 8), r), 9);
        step[kVW] = sar(wrapMul(sar(wrapSub(b[kVW], a[kVW]), 8), r), 9);
        return step;
    }
    void span(const V& l, const V& r, int32_t y) const {
        drawSpan<PerspectiveSpan<Mode>, 6, !Narrow>(PerspectiveSpan<Mode>{tex}, l, r, y);
    }
};

// Edges of the flat filler: x, s, z. The colour and the draw mode are read from the texture
// anew for every row.
struct FlatEdges {
    using V = Values<3>;
    const Texture* texture;

    V at(const Corner& p) const {
        V v;
        atXsz(v, p);
        return v;
    }
    V steps(const Corner& from, const Corner& to, int32_t r) const {
        V step;
        stepsXsz(step, from, to, r);
        return step;
    }
    void span(const V& l, const V& r, int32_t y) const {
        drawFlatSpan(texture->averageColor, texture->drawMode, l, r, y);
    }
};

// Runs the walk with the edges of a textured filler in the texture's draw mode.
template <template <int, bool> class Edges, bool Narrow>
void walkInMode(int mode, const Corner& a, const Corner& b, const Corner& c, const TextureSetup& tex) {
    switch (mode) {
        case 0: walkTriangle(a, b, c, Edges<0, Narrow>{tex}); break;
        case 1: walkTriangle(a, b, c, Edges<1, Narrow>{tex}); break;
        case 2: walkTriangle(a, b, c, Edges<2, Narrow>{tex}); break;
        default: walkTriangle(a, b, c, Edges<3, Narrow>{tex}); break;
    }
}

// The walk of a narrow triangle: the generic walk, or the affine filler's own with SSE2 or NEON.
template <template <int, bool> class Edges>
void walkNarrow(int mode, const Corner& a, const Corner& b, const Corner& c, const TextureSetup& tex) {
    walkInMode<Edges, true>(mode, a, b, c, tex);
}

#if VX_RASTER_AFFINE_WALK
template <>
void walkNarrow<AffineEdges>(int mode, const Corner& a, const Corner& b, const Corner& c, const TextureSetup& tex) {
    switch (mode) {
        case 0: walkAffineNarrow<0>(a, b, c, tex); break;
        case 1: walkAffineNarrow<1>(a, b, c, tex); break;
        case 2: walkAffineNarrow<2>(a, b, c, tex); break;
        default: walkAffineNarrow<3>(a, b, c, tex); break;
    }
}
#endif

// The draw mode and the width test are chosen once for the whole triangle.
template <template <int, bool> class Edges>
int fillTextured(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
                 const ProjectedVertex* c, int uc, int vc, const Texture* texture) {
    // Nothing to draw without three corners and texels to read.
    if (!a || !b || !c || !texture || !texture->texels) return 0;
    Corner ka = cornerOf(*a, ua, va), kb = cornerOf(*b, ub, vb), kc = cornerOf(*c, uc, vc);
    sortByRow(ka, kb, kc);
    const TextureSetup tex = textureSetup(*texture);
    const int mode = textureMode(texture->drawMode);
    if (narrowTriangle(ka, kb, kc)) {
        walkNarrow<Edges>(mode, ka, kb, kc, tex);
    } else {
        walkInMode<Edges, false>(mode, ka, kb, kc, tex);
    }
    return 0;
}

// The public span routines draw rows 0..239 only; another row draws nothing.
bool onScreenRow(int32_t y) { return y >= 0 && y < kBufferHeight; }

}  // namespace
}  // namespace raster

int fillAffine(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
               const ProjectedVertex* c, int uc, int vc, const Texture* texture) {
    return raster::fillTextured<raster::AffineEdges>(a, ua, va, b, ub, vb, c, uc, vc, texture);
}

int fillPerspective(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
                    const ProjectedVertex* c, int uc, int vc, const Texture* texture) {
    return raster::fillTextured<raster::PerspectiveEdges>(a, ua, va, b, ub, vb, c, uc, vc, texture);
}

int fillFlat(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
             const ProjectedVertex* c, int uc, int vc, const Texture* texture) {
    using namespace raster;
    if (!a || !b || !c || !texture) return 0;  // no corners or no colour to paint
    Corner ka = cornerOf(*a, ua, va), kb = cornerOf(*b, ub, vb), kc = cornerOf(*c, uc, vc);
    sortByRow(ka, kb, kc);
    walkTriangle(ka, kb, kc, FlatEdges{texture});
    return 0;
}

void spanAffine(int32_t uL, int32_t vL, int32_t uR, int32_t vR, int32_t xL, int32_t y, int32_t xR,
                int32_t sL, int32_t sR, int32_t zL, int32_t zR, const Texture* texture) {
    using namespace raster;
    if (!texture || !texture->texels || !onScreenRow(y)) return;
    drawTextureSpan<AffineSpan>(textureMode(texture->drawMode), textureSetup(*texture),
                                Values<5>{xL, sL, zL, uL, vL}, Values<5>{xR, sR, zR, uR, vR}, y);
}

void spanPerspective(int32_t wL, int32_t wR, int32_t uwL, int32_t vwL, int32_t uwR, int32_t vwR,
                     int32_t xL, int32_t y, int32_t xR, int32_t sL, int32_t sR, int32_t zL, int32_t zR,
                     const Texture* texture) {
    using namespace raster;
    if (!texture || !texture->texels || !onScreenRow(y)) return;
    drawTextureSpan<PerspectiveSpan>(textureMode(texture->drawMode), textureSetup(*texture),
                                     Values<6>{xL, sL, zL, wL, uwL, vwL},
                                     Values<6>{xR, sR, zR, wR, uwR, vwR}, y);
}

void spanFlat(int32_t xL, int32_t y, int32_t xR, int32_t sL, int32_t sR, int32_t zL, int32_t zR,
              uint16_t colour, int32_t mode) {
    using namespace raster;
    if (!onScreenRow(y)) return;
    drawFlatSpan(colour, mode, Values<3>{xL, sL, zL}, Values<3>{xR, sR, zR}, y);
}

}  // namespace veloxia
