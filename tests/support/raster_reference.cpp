// SPDX-License-Identifier: MIT
#include "support/raster_reference.h"

#include <algorithm>

#include "engine/wrap.h"

namespace vxtest {
namespace {

using namespace veloxia;

// Every quantity any filler carries; unused ones stay 0.
struct Quantities {
    int32_t x = 0, s = 0, z = 0, u = 0, v = 0, w = 0, uw = 0, vw = 0;
};

struct Context {
    FillerKind kind;
    const Texture& texture;
};

Quantities atCorner(const Context& cx, const ProjectedVertex& p, int u, int v) {
    Quantities q;
    q.x = p.sx * 65536;
    q.s = p.shade * 65536;
    q.z = p.depth * 65536;
    const int32_t u16 = int16_t(u), v16 = int16_t(v);
    q.u = u16 * 4096;
    q.v = wrapMul(v16 * 4096, cx.texture.width);
    if (cx.kind == FillerKind::Perspective) {
        const int32_t recip = ReciprocalLut[p.depth];
        q.w = recip * 256;
        q.uw = wrapMul(u16, recip);
        q.vw = wrapMul(wrapMul(v16, cx.texture.width) >> 4, recip);
    }
    return q;
}

Quantities edgeSteps(const Context& cx, const ProjectedVertex& p0, int u0, int v0, const ProjectedVertex& p1,
                     int u1, int v1) {
    const int32_t r = ReciprocalLut[(p1.sy - p0.sy) & 8191];
    const Quantities a = atCorner(cx, p0, u0, v0), b = atCorner(cx, p1, u1, v1);
    Quantities d;
    d.x = wrapMul(p1.sx - p0.sx, r) >> 1;
    d.s = wrapMul(p1.shade - p0.shade, r) >> 1;
    d.z = wrapMul(p1.depth - p0.depth, r) >> 1;
    d.u = wrapMul(int16_t(u1) - int16_t(u0), r) >> 5;
    d.v = wrapMul(wrapMul(int16_t(v1) - int16_t(v0), r) >> 5, cx.texture.width);
    d.w = wrapMul(ReciprocalLut[p1.depth] - ReciprocalLut[p0.depth], r) >> 9;
    d.uw = wrapMul(wrapSub(b.uw, a.uw) >> 8, r) >> 9;
    d.vw = wrapMul(wrapSub(b.vw, a.vw) >> 8, r) >> 9;
    if (cx.kind != FillerKind::Perspective) d.w = d.uw = d.vw = 0;
    return d;
}

// start + step * count for every quantity.
Quantities along(const Quantities& q, const Quantities& d, int32_t count) {
    auto f = [count](int32_t v, int32_t step) { return wrapAdd(v, wrapMul(step, count)); };
    return {f(q.x, d.x), f(q.s, d.s), f(q.z, d.z), f(q.u, d.u), f(q.v, d.v), f(q.w, d.w), f(q.uw, d.uw), f(q.vw, d.vw)};
}

int32_t colStep(int32_t l, int32_t r, int32_t recip) { return wrapMul(wrapSub(r, l) >> 14, recip) >> 3; }

void pixel(const Context& cx, const Quantities& q, int x, int y) {
    uint32_t& cell = FrameBuffer[y * 320 + x];
    if (!(q.z < int32_t(cell))) return;
    const Texture& t = cx.texture;
    const int32_t level = q.s >> 16;
    uint32_t texel = 0;
    int mode = t.drawMode < 0 ? 1 : std::min(t.drawMode, 3);
    if (cx.kind == FillerKind::Affine) {
        texel = t.texels[((uint32_t(q.u) & t.uMask) + (uint32_t(q.v) & t.vMask)) >> 16];
    } else if (cx.kind == FillerKind::Perspective) {
        const int32_t p = PerspectiveLut[q.w >> 8];
        texel = t.texels[((uint32_t(wrapMul(q.uw >> 10, p)) & t.uMask) + (uint32_t(wrapMul(q.vw >> 6, p)) & t.vMask)) >> 16];
    } else {
        texel = t.averageColor;
        mode = t.drawMode == 0 ? 0 : 2;
    }
    if ((mode == 1 || mode == 3) && texel == 0) return;
    if (mode <= 1) {
        cell = (uint32_t(q.z) & 0xFFFF0000u) + texel + uint32_t(level);
        return;
    }
    const uint32_t o = cell & 0xFFFF;
    const int32_t sum = int32_t((((o & 0x3800) + (texel & 0x3800)) & 0x7000) + (((o & 0x0700) + (texel & 0x0700)) & 0x0E00) +
                                (((o & 0x00E0) + (texel & 0x00E0)) & 0x01C0) + (o & 31)) + level;
    cell = (cell & 0xFFFF0000u) | uint16_t(sum >> 1);
}

void span(const Context& cx, const Quantities& l, const Quantities& r, int y) {
    const int32_t xl = l.x >> 16, xr = r.x >> 16;
    if (xr <= 0 || xl >= 320 || xr - xl < 1) return;
    const int32_t recip = ReciprocalLut[xr - xl];
    Quantities d;
    d.s = colStep(l.s, r.s, recip);
    d.z = colStep(l.z, r.z, recip);
    d.u = colStep(l.u, r.u, recip);
    d.v = colStep(l.v, r.v, recip);
    d.w = wrapMul(wrapSub(r.w, l.w) >> 6, recip) >> 11;
    d.uw = wrapMul(wrapSub(r.uw, l.uw) >> 8, recip) >> 9;
    d.vw = wrapMul(wrapSub(r.vw, l.vw) >> 8, recip) >> 9;
    for (int x = std::max(xl, 0); x < std::min(xr, 320); ++x) pixel(cx, along(l, d, x - xl), x, y);
}

void rows(const Context& cx, const Quantities& e0, const Quantities& d0, int row0, const Quantities& e1,
          const Quantities& d1, int row1, int from, int to, bool firstIsLeft) {
    for (int y = from; y < to; ++y) {
        const Quantities p = along(e0, d0, y - row0), q = along(e1, d1, y - row1);
        if (firstIsLeft) {
            span(cx, p, q, y);
        } else {
            span(cx, q, p, y);
        }
    }
}

}  // namespace

void referenceFill(FillerKind kind, const ProjectedVertex& a, int ua, int va, const ProjectedVertex& b, int ub,
                   int vb, const ProjectedVertex& c, int uc, int vc, const Texture& texture) {
    const Context cx{kind, texture};
    const Quantities qa = atCorner(cx, a, ua, va), qb = atCorner(cx, b, ub, vb);
    const Quantities dLong = edgeSteps(cx, a, ua, va, c, uc, vc);
    int first = a.sy;
    if (b.sy - a.sy >= 1 && b.sy >= 0) {
        const Quantities dShort = edgeSteps(cx, a, ua, va, b, ub, vb);
        if (dLong.x == dShort.x) return;
        rows(cx, qa, dShort, a.sy, qa, dLong, a.sy, std::max(a.sy + 1, 0), std::min<int>(b.sy, 240), dLong.x > dShort.x);
        if (b.sy >= 240) return;
        first = b.sy;
    }
    if (c.sy - b.sy < 1) return;
    const Quantities dShort = edgeSteps(cx, b, ub, vb, c, uc, vc);
    const int y0 = std::max(first, 0);
    const int32_t longX = along(qa, dLong, y0 - a.sy).x, shortX = along(qb, dShort, y0 - b.sy).x;
    if (longX == shortX) return;
    rows(cx, qb, dShort, b.sy, qa, dLong, a.sy, y0, std::min<int>(c.sy, 240), longX > shortX);
}

}  // namespace vxtest
