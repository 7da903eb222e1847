// SPDX-License-Identifier: MIT
// Near-plane subdivision: a face with a corner in the near zone is split at the midpoint of its
// edge of largest depth change until every piece lies wholly in front of the plane (drawn or
// queued) or wholly too close (dropped). Midpoints only, no division.
//
// Every corner reached here is a MeshVertex: a world vertex or a midpoint made by a split.
#include <veloxia/pipeline.h>

#include "engine/wrap.h"
#include "pipeline/classify.h"
#include "pipeline/vertex_stage.h"

namespace veloxia {

namespace {

constexpr int32_t kProjectedZ = -64;  // view z at or below which a vertex is projected
constexpr int32_t kTooCloseZ = -214;  // a piece with no corner deeper than this is dropped

int32_t cornerZ(const FaceCorner& c) { return static_cast<const MeshVertex*>(c.vertex)->vz; }

int16_t half(int32_t p, int32_t q) { return low16(sar(p + q, 1)); }

// The midpoint of edge p-q: shade, view position and texture coordinate averaged with
// arithmetic shifts. The screen fields stay 0 until it is projected.
FaceCorner midpoint(const FaceCorner& p, const FaceCorner& q, MeshVertex* m) {
    const auto& vp = *static_cast<const MeshVertex*>(p.vertex);
    const auto& vq = *static_cast<const MeshVertex*>(q.vertex);
    m->shade = half(vp.shade, vq.shade);
    m->vx = half(vp.vx, vq.vx);
    m->vy = half(vp.vy, vq.vy);
    m->vz = half(vp.vz, vq.vz);
    return {m, half(p.u, q.u), half(p.v, q.v)};
}

void placePiece(RenderContext* rc, MeshFace* piece) {
    const int32_t za = cornerZ(piece->corner[0]), zb = cornerZ(piece->corner[1]), zc = cornerZ(piece->corner[2]);
    if (za >= kTooCloseZ && zb >= kTooCloseZ && zc >= kTooCloseZ) return;
    if (za > kProjectedZ || zb > kProjectedZ || zc > kProjectedZ) {
        subdivideFace(rc, piece);
    } else if (piece->texture->drawMode < 2) {
        drawFaceNow(rc, piece);
    } else {
        pipeline::storeAndQueue(piece, 1);  // a full store drops the piece
    }
}

}  // namespace

void subdivideFace(RenderContext* rc, MeshFace* f) {
    const FaceCorner& a = f->corner[0];
    const FaceCorner& b = f->corner[1];
    const FaceCorner& c = f->corner[2];
    const int32_t za = cornerZ(a), zb = cornerZ(b), zc = cornerZ(c);
    const int32_t dab = wrapMul(zb - za, zb - za);
    const int32_t dbc = wrapMul(zc - zb, zc - zb);
    const int32_t dca = wrapMul(za - zc, za - zc);

    MeshVertex m{};
    MeshFace first = *f;
    MeshFace second = *f;
    if (dab >= dbc && dab >= dca) {  // (a, m, c) and (m, b, c)
        const FaceCorner mc = midpoint(a, b, &m);
        first.corner[1] = mc;
        second.corner[0] = mc;
    } else if (dca >= dbc) {  // (a, b, m) and (m, b, c)
        const FaceCorner mc = midpoint(c, a, &m);
        first.corner[2] = mc;
        second.corner[0] = mc;
    } else {  // (a, b, m) and (a, m, c)
        const FaceCorner mc = midpoint(b, c, &m);
        first.corner[2] = mc;
        second.corner[1] = mc;
    }
    if (m.vz <= kProjectedZ) {
        pipeline::projectThroughSlot(rc, &m);
        if (m.shade < 1) m.shade = 1;
    }
    placePiece(rc, &first);
    placePiece(rc, &second);
}

}  // namespace veloxia
