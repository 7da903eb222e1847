// SPDX-License-Identifier: MIT
// The opaque affine pixels (modes 0 and 1) with NEON, which every aarch64 processor has: four
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

// Draws the span's columns from `cell` to `end` four at a time and returns `end`, or returns
// `cell` untouched where the plain loop is to draw them: rows under six columns (the plain loop
// is cheaper there), and rows whose last group of four would read past the FrameBuffer. A lane
// that fails its depth test, is transparent (mode 1, texel 0) or lies past the end stores back
// the cell it read. s, z, u, v are the 16.16 values at `cell`, ds..dv their steps a column;
// every sum wraps like the plain loop's.
template <int Mode>
[[gnu::always_inline]] inline uint32_t* affinePixelsNeon(uint32_t* cell, uint32_t* const end, int32_t s, int32_t z,
                                                         int32_t u, int32_t v, int32_t ds, int32_t dz, int32_t du,
                                                         int32_t dv, const uint16_t* texels, uint32_t uMask,
                                                         uint32_t vMask) {
    const ptrdiff_t columns = end - cell;
    if (columns < 6 || cell + (columns + 3) / 4 * 4 > FrameBuffer + kBufferCells) return cell;
    // Column k of each quantity: start + k step. The lanes are unsigned, so that every product
    // and sum wraps as the plain loop's do; the depth test and the level read them as signed.
    const uint32x4_t lanes = {0, 1, 2, 3};
    const auto ramp = [&lanes](int32_t start, int32_t step) { return vmlaq_n_u32(vdupq_n_u32(uint32_t(start)), lanes, uint32_t(step)); };
    const auto fourSteps = [](int32_t step) { return vshlq_n_u32(vdupq_n_u32(uint32_t(step)), 2); };
    uint32x4_t vs = ramp(s, ds), vz = ramp(z, dz), vu = ramp(u, du), vv = ramp(v, dv);
    const uint32x4_t ds4 = fourSteps(ds), dz4 = fourSteps(dz), du4 = fourSteps(du), dv4 = fourSteps(dv);
    const uint32x4_t uMasks = vdupq_n_u32(uMask), vMasks = vdupq_n_u32(vMask);
    const uint32x4_t depthBits = vdupq_n_u32(0xFFFF0000u);
    for (ptrdiff_t left = columns; left > 0; left -= 4, cell += 4) {
        const uint32x4_t old = vld1q_u32(cell);
        uint32x4_t pass = vcltq_s32(vreinterpretq_s32_u32(vz), vreinterpretq_s32_u32(old));  // z < cell, signed
        if (left < 4) pass = vandq_u32(pass, vcltq_u32(lanes, vdupq_n_u32(uint32_t(left))));
        if (vmaxvq_u32(pass) != 0) {
            // Unsigned sum: a vMask with bit 31 set still gives an index inside the texture.
            const uint32x4_t index = vshrq_n_u32(vaddq_u32(vandq_u32(vu, uMasks), vandq_u32(vv, vMasks)), 16);
            uint32x4_t texel = vdupq_n_u32(0);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 0)], texel, 0);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 1)], texel, 1);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 2)], texel, 2);
            texel = vsetq_lane_u32(texels[vgetq_lane_u32(index, 3)], texel, 3);
            if constexpr (Mode == 1) pass = vandq_u32(pass, vtstq_u32(texel, texel));
            const uint32x4_t level = vreinterpretq_u32_s32(vshrq_n_s32(vreinterpretq_s32_u32(vs), 16));
            const uint32x4_t value = vaddq_u32(vaddq_u32(vandq_u32(vz, depthBits), texel), level);
            vst1q_u32(cell, vbslq_u32(pass, value, old));
        }
        vs = vaddq_u32(vs, ds4);
        vz = vaddq_u32(vz, dz4);
        vu = vaddq_u32(vu, du4);
        vv = vaddq_u32(vv, dv4);
    }
    return end;
}

}  // namespace veloxia::raster

#else
#define VX_RASTER_NEON 0
#endif
