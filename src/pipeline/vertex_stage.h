// SPDX-License-Identifier: MIT
// The vertex stage of every road (the object road, immediate mode, the near road and the cell
// road of the world): view-space transform by the current matrix, the depth tests, projection
// and shade. Inline, so that the per-vertex loops keep the matrix in registers and call no
// function for it; each road picks its projection and lighting before its loop.
#pragma once

#include <cstdint>

#if defined(__SSE2__) && !defined(VX_PIPELINE_PLAIN)
#include <emmintrin.h>
#endif

#include <veloxia/display.h>
#include <veloxia/engine.h>
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>
#include <veloxia/types.h>

#include "display/shade_clamp.h"
#include "engine/wrap.h"

namespace veloxia::pipeline {

// Depth marker of a near-road vertex in the near zone: not projected this frame, its faces go to
// subdivision. Projected depths are 64 or more, so it is never a real depth.
inline constexpr int16_t kNearMarker = 1;
// A face of the near road (or a piece of one) is drawn only when some corner lies deeper than
// this view z.
inline constexpr int32_t kTooCloseZ = -214;

// The depth tests of view z. The object, immediate and cell roads project -8191..-65 and reject
// the rest; the near road projects -8191..-64, keeps -63..335 as its near zone and drops a face
// with a corner anywhere else.
constexpr bool projectedOnEveryRoad(int32_t vz) { return vz >= kFarthestViewZ && vz <= kNearestViewZ; }
constexpr bool projectedOnNearRoad(int32_t vz) { return vz <= kNearPlaneZ; }
constexpr bool droppedOnNearRoad(int32_t vz) { return vz >= kBehindNearZoneZ || vz < kFarthestViewZ; }

// View-space components of a model position, as matTransformZ and matTransformXY compute them:
// 2.14 entries times 16-bit coordinates, summed in 32 bits (wrapping), shifted right by 14,
// plus the translation, kept to 16 bits. V is any vertex record with x, y, z.
template <typename V>
inline int16_t viewZ(const Mat34& m, const V& v) {
    return low16(wrapAdd(m[11], dot14(m[2], v.x, m[5], v.y, m[8], v.z)));
}
template <typename V>
inline int16_t viewX(const Mat34& m, const V& v) {
    return low16(wrapAdd(m[9], dot14(m[0], v.x, m[3], v.y, m[6], v.z)));
}
template <typename V>
inline int16_t viewY(const Mat34& m, const V& v) {
    return low16(wrapAdd(m[10], dot14(m[1], v.x, m[4], v.y, m[7], v.z)));
}

struct ViewPosition {
    int16_t x, y, z;
};

// The three view components of a MeshVertex at once. With SSE2 one `pmaddwd` gives two of the
// three products of two components, exactly: each product of 16-bit values fits 32 bits and their
// sum wraps like the plain sum (only 2^30 + 2^30 overflows, to -2^31, the wrapped value); the
// third product is added with a wrapping lane add. The results equal viewX, viewY and viewZ bit
// for bit. Elsewhere (or with VX_PIPELINE_PLAIN) it computes them as those do.
#if defined(__SSE2__) && !defined(VX_PIPELINE_PLAIN)
class ViewTransform {
public:
    explicit ViewTransform(const Mat34& m)
        // word 3 of each half meets the vertex's light field: a zero there leaves it out
        : xy_(_mm_setr_epi16(m[0], m[3], m[6], 0, m[1], m[4], m[7], 0)),
          z_(_mm_setr_epi16(m[2], m[5], m[8], 0, m[2], m[5], m[8], 0)),
          translation_(_mm_setr_epi32(m[9], m[10], m[11], 0)) {}

    ViewPosition operator()(const MeshVertex& v) const {
        // x, y, z and light lie side by side in the record (the scene file's layout)
        const __m128i model = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&v.x));  // x, y, z, light
        const __m128i twice = _mm_unpacklo_epi64(model, model);
        const __m128 xy = _mm_castsi128_ps(_mm_madd_epi16(twice, xy_));  // x0 + y0, z0, x1 + y1, z1
        const __m128 z = _mm_castsi128_ps(_mm_madd_epi16(twice, z_));    // x2 + y2, z2, (again)
        const __m128i first = _mm_castps_si128(_mm_shuffle_ps(xy, z, _MM_SHUFFLE(0, 0, 2, 0)));
        const __m128i second = _mm_castps_si128(_mm_shuffle_ps(xy, z, _MM_SHUFFLE(1, 1, 3, 1)));
        const __m128i view = _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(first, second), 14), translation_);
        return {int16_t(_mm_extract_epi16(view, 0)), int16_t(_mm_extract_epi16(view, 2)),
                int16_t(_mm_extract_epi16(view, 4))};
    }

private:
    __m128i xy_, z_, translation_;
};
#else
class ViewTransform {
public:
    explicit ViewTransform(const Mat34& m) : m_(m) {}
    ViewPosition operator()(const MeshVertex& v) const { return {viewX(m_, v), viewY(m_, v), viewZ(m_, v)}; }

private:
    Mat34 m_;
};
#endif

// The ProjectionLut entry (16.16 pixels per view unit) for a depth. Depths outside the table
// take its nearest entry: a point behind the eye takes entry 0 and lands on the centre, a point
// past the last entry (the world's box corners reach depth 8704) is projected at depth 8703.
inline int32_t projectionScale(int32_t depth) {
    if (depth < 0) return ProjectionLut[0];
    if (depth >= kProjectionLutSize) return ProjectionLut[kProjectionLutSize - 1];
    return ProjectionLut[depth];
}

// The centre of projection on the FrameBuffer.
inline constexpr int32_t kCentreColumn = kBufferWidth / 2;
inline constexpr int32_t kCentreRow = kBufferHeight / 2;

// Portrait: view y along the columns, view x along the rows.
inline int projectPortraitXYZ(int32_t vx, int32_t vy, int32_t vz, ProjectedVertex* out) {
    const int32_t depth = -vz;
    const int32_t s = projectionScale(depth);
    out->sx = low16(kCentreColumn + sar(wrapMul(vy, s), 16));
    out->sy = low16(kCentreRow + sar(wrapMul(vx, s), 16));
    out->depth = low16(depth);
    return low16(depth);
}

// Landscape: view x along the columns, view y up the rows.
inline int projectLandscapeXYZ(int32_t vx, int32_t vy, int32_t vz, ProjectedVertex* out) {
    const int32_t depth = -vz;
    const int32_t s = projectionScale(depth);
    out->sx = low16(kCentreColumn + sar(wrapMul(vx, s), 16));
    out->sy = low16(kCentreRow - sar(wrapMul(vy, s), 16));
    out->depth = low16(depth);
    return low16(depth);
}

// How a road projects: one of the two built-in projections inlined, or whatever the project
// slot holds.
enum class Projection { portrait, landscape, slot };

// How a road lights a vertex while lights are on: at the view position with the normal turned
// by the matrix (object road, immediate mode), at the view position with the normal as stored
// (near road), or at the model position with the normal as stored (cell road).
enum class Lighting { off, viewTurnedNormal, viewStoredNormal, modelStoredNormal };

// The two slots the stage calls, read once by a road. The default shade function (shadeClamp)
// is applied inline rather than called.
struct StageSlots {
    ProjectFn project;
    ShadeFn shade;
    bool clampShade;
};
inline StageSlots stageSlots(const RenderContext* rc) {
    return {rc->project, rc->shade, rc->shade == shadeClamp};
}

template <Projection P>
inline void project(StageSlots slots, const ViewPosition& view, ProjectedVertex* out) {
    if constexpr (P == Projection::portrait) {
        projectPortraitXYZ(view.x, view.y, view.z, out);
    } else if constexpr (P == Projection::landscape) {
        projectLandscapeXYZ(view.x, view.y, view.z, out);
    } else {
        const int16_t position[3] = {view.x, view.y, view.z};
        slots.project(position, out);
    }
}

// The light level fed to the shade slot: the vertex's own, plus the point lights.
template <Lighting L, typename V>
inline int32_t lightLevel(const Mat34& m, const V& v, const ViewPosition& view) {
    int32_t level = v.light;
    if constexpr (L == Lighting::viewTurnedNormal) {
        const Vec3 normal{v.nx, v.ny, v.nz};
        Vec3 turned;
        matRotateVector(&m, &normal, &turned);  // 3x3 part only
        const int16_t position[3] = {view.x, view.y, view.z};
        const int16_t direction[3] = {turned.x, turned.y, turned.z};
        level = wrapAdd(level, lightSum(position, direction));
    } else if constexpr (L == Lighting::viewStoredNormal) {
        const int16_t position[3] = {view.x, view.y, view.z};
        const int16_t normal[3] = {v.nx, v.ny, v.nz};
        level = wrapAdd(level, lightSum(position, normal));
    } else if constexpr (L == Lighting::modelStoredNormal) {
        const int16_t position[3] = {v.x, v.y, v.z};
        const int16_t normal[3] = {v.nx, v.ny, v.nz};
        level = wrapAdd(level, lightSum(position, normal));
    }
    return level;
}

// The stage after a road's depth test has passed view z: view x and y (kept in the vertex when
// its record has room for them), the projection into `out`, and the shade at the projected
// depth. Returns the view position.
template <Projection P, Lighting L, typename V>
[[gnu::always_inline]] inline void projectAndShadeAt(StageSlots slots, const Mat34& m, V& v, const ViewPosition& view,
                                                     ProjectedVertex* out) {
    if constexpr (requires { v.vx; }) {
        v.vx = view.x;
        v.vy = view.y;
    }
    project<P>(slots, view, out);
    const int32_t level = lightLevel<L>(m, v, view);
    out->shade = slots.clampShade ? clampShadeLevel(level) : slots.shade(out->depth, level);
}

template <Projection P, Lighting L, typename V>
[[gnu::always_inline]] inline ViewPosition projectAndShade(StageSlots slots, const Mat34& m, V& v, int16_t vz,
                                                           ProjectedVertex* out) {
    const ViewPosition view{viewX(m, v), viewY(m, v), vz};
    projectAndShadeAt<P, L>(slots, m, v, view, out);
    return view;
}

// Calls the project slot with the vertex's own view position.
inline int projectThroughSlot(const RenderContext* rc, MeshVertex* v) {
    const int16_t view[3] = {v->vx, v->vy, v->vz};
    return rc->project(view, v);
}

}  // namespace veloxia::pipeline
