// SPDX-License-Identifier: MIT
// Sine, cosine and arctangent tables and the angle helpers built on them.
//
// Angles are 2048ths of a turn; sines and cosines are 2.14 (16384 = 1.0).
#include <veloxia/fixedmath.h>

#include <cmath>
#include <cstdint>

#include "engine/wrap.h"

namespace veloxia {

int16_t SinLut[2048];    // entry i = sin(2 pi i / 2048) * 16384, truncated toward zero
int16_t CosLut[2048];    // entry i = cos(2 pi i / 2048) * 16384, truncated toward zero
uint16_t AtanLut[513];   // entry i = atan(i / 512) in 2048ths of a turn, truncated: 0..256

void buildTrigTables() {
    for (int i = 0; i < 2048; ++i) {
        // The angle is formed as (i * 2 pi) * (1 / 2048), all in double precision.
        const double radians = (i * 6.283185307179586) * (1.0 / 2048.0);
        SinLut[i] = int16_t(std::sin(radians) * double(kOne14));
        CosLut[i] = int16_t(std::cos(radians) * double(kOne14));
    }
    buildAtanTable();
}

void buildAtanTable() {
    for (int i = 0; i <= 512; ++i) {
        const double turns = std::atan(i * 0.001953125) * 2048.0 * 0.15915494309189535;
        AtanLut[i] = uint16_t(turns);
    }
}

namespace {

// The angle whose tangent is p / q, 0..256, for 0 <= p <= q. Done in 64 bits so that no
// argument can overflow p * 512 or index outside the table.
int atanRatio(int64_t p, int64_t q) { return AtanLut[(p * 512) / q]; }

}  // namespace

// Arguments are meant to stay below 2^22 in magnitude; larger ones (even INT_MIN) still give
// an angle in 0..2048, because the octant arithmetic runs in 64 bits.
int angleOf(int x, int y) {
    if (x == 0) return y >= 1 ? 512 : 1536;
    const int64_t px = x, py = y;
    if (x > 0 && y >= 0) return px < py ? 512 - atanRatio(px, py) : atanRatio(py, px);
    if (x < 0 && y >= 0) {
        const int64_t nx = -px;
        return nx < py ? 512 + atanRatio(nx, py) : 1024 - atanRatio(py, nx);
    }
    const int64_t ny = -py;
    if (x < 0) {
        const int64_t nx = -px;
        return nx < ny ? 1536 - atanRatio(nx, ny) : 1024 + atanRatio(ny, nx);
    }
    return px < ny ? 1536 + atanRatio(px, ny) : 2048 - atanRatio(ny, px);
}

int headingBetween(const Vec3* p, const Vec3* q) {
    return angleOf(q->z - p->z, q->x - p->x);
}

int angleDelta(int a, int b) {
    const int d = wrapSub(b, a) & 2047;
    return d > 1024 ? d - 2048 : d;
}

}  // namespace veloxia
