// SPDX-License-Identifier: MIT
// Square roots by table and the small Vec3 helpers (2.14 fixed point).
#include <veloxia/fixedmath.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "engine/wrap.h"

namespace veloxia {

// The square roots pick a quarter of SqrtLut (10 fractional bits) by the highest set bits of
// v. The argument is read as unsigned, so a negative one (outside the documented range) lands
// in the top band and still reads inside the table.
int isqrt(int v) {
    const uint32_t u = uint32_t(v);
    if (u < 0x1000u) return SqrtLut[u] >> 10;
    if (u < 0x10000u) return SqrtLut[u >> 4] >> 8;
    if (u < 0x1000000u) return SqrtLut[u >> 12] >> 4;
    return SqrtLut[u >> 20];
}

int isqrtX16(int v) {
    const uint32_t u = uint32_t(v);
    if (u < 0x1000u) return SqrtLut[u] >> 6;
    if (u < 0x10000u) return SqrtLut[u >> 4] >> 4;
    if (u < 0x1000000u) return SqrtLut[u >> 12];
    return SqrtLut[u >> 20] << 4;
}

int isqrtX256(int v) {
    const uint32_t u = uint32_t(v);
    if (u < 0x1000u) return SqrtLut[u] >> 2;
    if (u < 0x10000u) return SqrtLut[u >> 4];
    if (u < 0x1000000u) return SqrtLut[u >> 12] << 4;
    return SqrtLut[u >> 20] << 8;
}

int ceilLog2(int v) {
    if (v < 2) return 0;
    return int(std::bit_width(uint32_t(v - 1)));
}

void scaleVector(Vec3* v, int k) {
    v->x = low16(sar(wrapMul(v->x, k), 14));
    v->y = low16(sar(wrapMul(v->y, k), 14));
    v->z = low16(sar(wrapMul(v->z, k), 14));
}

void crossProduct(const Vec3* a, const Vec3* b, Vec3* out) {
    out->x = low16(sar(wrapSub(a->y * b->z, a->z * b->y), 14));
    out->y = low16(sar(wrapSub(a->z * b->x, a->x * b->z), 14));
    out->z = low16(sar(wrapSub(a->x * b->y, a->y * b->x), 14));
}

namespace {

// x^2 + y^2 + z^2 in 32 bits, wrapping as the engine's sums do.
int32_t squaredLength(const Vec3* v) {
    return wrapAdd(wrapAdd(v->x * v->x, v->y * v->y), v->z * v->z);
}

}  // namespace

void normalize14(Vec3* v) {
    const int length = isqrt(squaredLength(v));
    if (length == 0) return;
    v->x = low16((v->x * kOne14) / length);
    v->y = low16((v->y * kOne14) / length);
    v->z = low16((v->z * kOne14) / length);
}

// The length is taken from the 32-bit integer sum. A sum that wrapped negative (components
// beyond 26754) has no square root: such a vector is left unchanged, like the zero vector.
// There is deliberately no variant without the 16384 factor: it could only leave -1, 0 or 1
// in each component, and nothing needs it.
void normalizeFloat14(Vec3* v) {
    const float length = float(std::sqrt(double(squaredLength(v))));
    if (!(length > 0.0f)) return;
    const float inverse = 1.0f / length;
    v->x = low16(int32_t((float(v->x) * float(kOne14)) * inverse));
    v->y = low16(int32_t((float(v->y) * float(kOne14)) * inverse));
    v->z = low16(int32_t((float(v->z) * float(kOne14)) * inverse));
}

}  // namespace veloxia
