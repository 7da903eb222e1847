// SPDX-License-Identifier: MIT
// Point lights: the light table, its set-up and the per-vertex sum.
#include <veloxia/fixedmath.h>
#include <veloxia/lights.h>

#include <algorithm>

#include "engine/wrap.h"

namespace veloxia {

PointLight lightTable[kMaxLights];
int32_t lightCount = 0;

void setLight(PointLight* l, uint32_t type, int32_t intensity, int32_t radius) {
    intensity = std::min(intensity, 1023);
    if (radius > 4095) {
        radius = 4095;
    } else if (radius < 16) {
        l->type = 0;  // too small to light anything: off, the other fields keep their values
        return;
    }
    l->type = type;
    l->radius = radius;
    l->intensity = intensity;
    l->radius2 = uint32_t(radius) * uint32_t(radius);
    // falloff: intensity / radius^2 scaled so that ((d2 >> 8) * falloff) >> 12 reaches about
    // intensity at the radius. Large radii drop four bits of radius2 first to keep the quotient exact
    // enough; both forms stay within 32 bits for intensity <= 1023.
    if (radius < 256) {
        l->falloff = ((0x10000000u / l->radius2) * uint32_t(intensity)) >> 8;
    } else {
        l->falloff = ((0x10000000u / (l->radius2 >> 4)) * uint32_t(intensity)) >> 12;
    }
}

void setLightCount(int32_t count) { lightCount = std::clamp(count, 0, kMaxLights); }

// Positions are plain view or model units; the normal is expected near length 32767 (1.15), at
// which a facing light adds the attenuated intensity times the cosine. r = ReciprocalLut[dist] is
// 131072 / dist (15.17 units of 1/dist); r * (dot >> 12) is then about cos << 20.
int32_t lightSum(const int16_t position[3], const int16_t normal[3]) {
    int32_t sum = 0;
    const int32_t count = std::clamp(lightCount, 0, kMaxLights);
    for (int i = 0; i < count; ++i) {
        const PointLight& l = lightTable[i];
        if (l.type != 1 && l.type != 2) continue;  // off, or a type that contributes nothing
        const int32_t dx = int32_t(l.x) - position[0];
        const int32_t dy = int32_t(l.y) - position[1];
        const int32_t dz = int32_t(l.z) - position[2];
        const uint32_t d2 = uint32_t(wrapAdd(wrapAdd(wrapMul(dx, dx), wrapMul(dy, dy)), wrapMul(dz, dz)));
        if (d2 >= l.radius2) continue;
        const int32_t a = int32_t(uint32_t(l.intensity) - (((d2 >> 8) * l.falloff) >> 12));
        const int32_t dot = wrapAdd(wrapAdd(wrapMul(normal[0], dx), wrapMul(normal[1], dy)), wrapMul(normal[2], dz));
        if (d2 < 1024) {
            sum = wrapAdd(sum, a);  // within 32 units: no direction term, for either type
            continue;
        }
        // d2 < radius2 <= 4095^2, so isqrt(d2) <= 4094 stays inside ReciprocalLut.
        const int32_t r = ReciprocalLut[isqrt(int(d2))];
        if (l.type == 2) {
            if (dot > 0) sum = wrapAdd(sum, int32_t(uint32_t(wrapMul(wrapMul(r, sar(dot, 12)), a)) >> 20));
        } else {
            const int32_t wrapped = wrapAdd(wrapMul(r, sar(dot, 12)), 0x100000);
            sum = wrapAdd(sum, int32_t(uint32_t(wrapMul(wrapped, a)) >> 21));
        }
    }
    return sum;
}

}  // namespace veloxia
