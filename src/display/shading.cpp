// SPDX-License-Identifier: MIT
// Depth shading: the fog parameters, the quadratic fade ramp and the three shade functions
// the render context's shade slot can hold.
#include <veloxia/display.h>
#include <veloxia/fixedmath.h>

#include <cstdint>

#include "display/colour_internal.h"
#include "display/shade_clamp.h"
#include "engine/wrap.h"

namespace veloxia {

int32_t fogFar;        // depth at which the fade ends
int32_t fogRange;      // length of the fade zone: 1 << fogShift
int32_t fogShift;      // 8..12
uint8_t fogRamp[4096]; // entry d (d < fogRange) = floor(256 d^2 / fogRange^2): 0..255

namespace {

void buildFogRamp() {
    const uint64_t range2 = uint64_t(fogRange) * uint64_t(fogRange);
    for (uint64_t d = 0; d < uint64_t(fogRange); ++d) fogRamp[d] = uint8_t((256 * d * d) / range2);
}

int limitTo31(int level) { return level > 31 ? 31 : level; }

// The fades never go below level 1; the level is returned as its low 16 bits.
int16_t atLeastOne(int32_t result) { return int16_t(result < 1 ? 1 : result); }

}  // namespace

void initShading(int farZ, int rangeShift) {
    fogFar = wrapNeg(farZ);
    buildShadeLut();
    buildReciprocalTables();
    setFogRange(rangeShift);
}

void setFogRange(int shift) {
    fogShift = shift > 12 ? 12 : shift < 8 ? 8 : shift;
    fogRange = 1 << fogShift;
    buildFogRamp();
}

// In the fades the depth argument is read as signed 16-bit: only the low half counts.
int16_t shadeClamp(int, int level) { return clampShadeLevel(level); }

int16_t shadeFogLinear(int depth, int level) {
    const int32_t level31 = limitTo31(level);
    const int32_t d = wrapSub(wrapSub(fogFar, int16_t(depth)), 128);
    if (d >= fogRange) return atLeastOne(level31);
    if (d <= 0) return 1;
    return atLeastOne(sar(wrapMul(d, level31), fogShift));
}

int16_t shadeFogQuadratic(int depth, int level) {
    const int32_t level31 = limitTo31(level);
    const int32_t d = wrapSub(wrapSub(fogFar, int16_t(depth)), 64);
    if (d >= fogRange) return atLeastOne(level31);
    if (d <= 0) return 1;
    return atLeastOne(sar(wrapMul(fogRamp[d], level31), 8));
}

}  // namespace veloxia
