// SPDX-License-Identifier: MIT
// The affine pixels of every draw mode with NEON, which every aarch64 processor has: four
// columns a step, the same values, tests and stores as the plain loop of span.h, each lane a
// column. span.h includes this file; VX_RASTER_NEON tells it whether the loop is here (not with
// VX_RASTER_PLAIN, nor on 32-bit ARM, where NEON is optional).
#pragma once

#if defined(__aarch64__) && defined(__ARM_NEON) && !defined(VX_RASTER_PLAIN)
#define VX_RASTER_NEON 1

#include <arm_neon.h>

#include <cstddef>
#include <cstdint>

#include <veloxia/display.h>

namespace veloxia::raster {

// The texture as the four-column loop reads it: the masks in every lane, made once a triangle.
struct TexelLanes {
    const uint16_t* texels;
    uint32x4_t uMask, vMask;
};

// True when the last group of a run of four-column groups from `cell` (which reads up to three
// cells past the run's end) stays inside the FrameBuffer.
[[gnu::always_inline]] inline bool lastGroupInside(const uint32_t* cell, ptrdiff_t columns) {
    return cell + (columns + 3) / 4 * 4 <= FrameBuffer + kBufferCells;
}

// Each lane shifted right by N as a signed value.
template <int N>
[[gnu::always_inline]] inline uint32x4_t sarLanes(uint32x4_t v) {
    return vreinterpretq_u32_s32(vshrq_n_s32(vreinterpretq_s32_u32(v), N));
}

// blend on four cells at once: the old cell's depth half with the blended colour.
[[gnu::always_inline]] inline uint32x4_t blendLanes(uint32x4_t old, uint32x4_t texel, uint32x4_t level) {
    auto channel = [&](uint32_t in, uint32_t out) {
        const uint32x4_t mask = vdupq_n_u32(in);
        return vandq_u32(vaddq_u32(vandq_u32(old, mask), vandq_u32(texel, mask)), vdupq_n_u32(out));
    };
    const uint32x4_t colours = vaddq_u32(vaddq_u32(channel(0x3800u, 0x7000u), channel(0x0700u, 0x0E00u)),
                                         vaddq_u32(channel(0x00E0u, 0x01C0u), vandq_u32(old, vdupq_n_u32(31u))));
    const uint32x4_t low = vandq_u32(sarLanes<1>(vaddq_u32(colours, level)), vdupq_n_u32(0xFFFFu));
    return vorrq_u32(vandq_u32(old, vdupq_n_u32(0xFFFF0000u)), low);
}

// The affine pixels of every draw mode four columns at a time: `start` holds s, z, u, v at
// `cell`, `steps` their steps a column. A lane that fails its depth test, is transparent (modes
// 1 and 3, texel 0) or lies past the end stores back the cell it read; the last group reads up
// to three cells past the end (lastGroupInside). The lanes are unsigned, so that every product
// and sum wraps as the plain loop's do; the depth test and the level read them as signed.
template <int Mode>
[[gnu::always_inline]] inline void affineGroupsNeon(uint32_t* cell, ptrdiff_t columns, uint32x4_t start,
                                                    uint32x4_t steps, const TexelLanes& tex) {
    const uint16_t* const texels = tex.texels;
    // Column k of each quantity: start + k step.
    const uint32x4_t lanes = {0, 1, 2, 3};
    uint32x4_t vs = vmlaq_u32(vdupq_laneq_u32(start, 0), lanes, vdupq_laneq_u32(steps, 0));
    uint32x4_t vz = vmlaq_u32(vdupq_laneq_u32(start, 1), lanes, vdupq_laneq_u32(steps, 1));
    uint32x4_t vu = vmlaq_u32(vdupq_laneq_u32(start, 2), lanes, vdupq_laneq_u32(steps, 2));
    uint32x4_t vv = vmlaq_u32(vdupq_laneq_u32(start, 3), lanes, vdupq_laneq_u32(steps, 3));
    const uint32x4_t steps4 = vshlq_n_u32(steps, 2);  // four columns, wrapping
    const uint32x4_t ds4 = vdupq_laneq_u32(steps4, 0), dz4 = vdupq_laneq_u32(steps4, 1);
    const uint32x4_t du4 = vdupq_laneq_u32(steps4, 2), dv4 = vdupq_laneq_u32(steps4, 3);
    const uint32x4_t uMask = tex.uMask, vMask = tex.vMask;
    const uint32x4_t depthBits = vdupq_n_u32(0xFFFF0000u);
    for (ptrdiff_t left = columns; left > 0; left -= 4, cell += 4) {
        const uint32x4_t old = vld1q_u32(cell);
        uint32x4_t pass = vcltq_s32(vreinterpretq_s32_u32(vz), vreinterpretq_s32_u32(old));  // z < cell, signed
        if (left < 4) pass = vandq_u32(pass, vcltq_u32(lanes, vdupq_n_u32(uint32_t(left))));
        if (vmaxvq_u32(pass) != 0) {
            // Unsigned sum: a vMask with bit 31 set still gives an index inside the texture.
            const uint32x4_t index = vshrq_n_u32(vaddq_u32(vandq_u32(vu, uMask), vandq_u32(vv, vMask)), 16);
            uint32x4_t texel = vdupq_n_u32(0);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 0)], texel, 0);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 1)], texel, 1);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 2)], texel, 2);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 3)], texel, 3);
            if constexpr (Mode == 1 || Mode == 3) pass = vandq_u32(pass, vtstq_u32(texel, texel));
            const uint32x4_t level = sarLanes<16>(vs);
            uint32x4_t value;
            if constexpr (Mode <= 1) {
                value = vaddq_u32(vaddq_u32(vandq_u32(vz, depthBits), texel), level);
            } else {
                value = blendLanes(old, texel, level);
            }
            vst1q_u32(cell, vbslq_u32(pass, value, old));
        }
        vs = vaddq_u32(vs, ds4);
        vz = vaddq_u32(vz, dz4);
        vu = vaddq_u32(vu, du4);
        vv = vaddq_u32(vv, dv4);
    }
}

// Draws the span's columns from `cell` to `end` with affineGroupsNeon and returns `end`, or
// returns `cell` untouched where the plain loop is to draw them: rows under six columns (the
// plain loop is cheaper there), and rows whose last group would read past the FrameBuffer.
// s, z, u, v are the 16.16 values at `cell`, ds..dv their steps a column.
template <int Mode>
[[gnu::always_inline]] inline uint32_t* affinePixelsNeon(uint32_t* cell, uint32_t* const end, int32_t s, int32_t z,
                                                         int32_t u, int32_t v, int32_t ds, int32_t dz, int32_t du,
                                                         int32_t dv, const uint16_t* texels, uint32_t uMask,
                                                         uint32_t vMask) {
    const ptrdiff_t columns = end - cell;
    if (columns < 6 || !lastGroupInside(cell, columns)) return cell;
    const uint32x4_t start = {uint32_t(s), uint32_t(z), uint32_t(u), uint32_t(v)};
    const uint32x4_t steps = {uint32_t(ds), uint32_t(dz), uint32_t(du), uint32_t(dv)};
    affineGroupsNeon<Mode>(cell, columns, start, steps, TexelLanes{texels, vdupq_n_u32(uMask), vdupq_n_u32(vMask)});
    return end;
}

}  // namespace veloxia::raster

#else
#define VX_RASTER_NEON 0
#endif
