// SPDX-License-Identifier: MIT
// Sine, cosine and arctangent tables and the angle helpers built on them.
//
// Angles are 2048ths of a turn; sines and cosines are 2.14 (16384 = 1.0).
#include <veloxia/fixedmath.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/trig_build.h"
#include "engine/wrap.h"

namespace veloxia {

int16_t SinLut[2048];    // entry i = sin(2 pi i / 2048) * 16384, truncated toward zero
int16_t CosLut[2048];    // entry i = cos(2 pi i / 2048) * 16384, truncated toward zero
uint16_t AtanLut[513];   // entry i = atan(i / 512) in 2048ths of a turn, truncated: 0..256

// The tables built in floating point (these, the reciprocal and the projection tables) come out
// the same on every machine whose float and double are IEEE 754 and are computed in their own
// precision: no x87 excess precision, no contraction into fused multiply-adds (ISO mode).
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559 &&
                  FLT_EVAL_METHOD == 0,
              "the engine's tables need IEEE 754 float and double without excess precision");

namespace {

// A scaled sine, cosine or arctangent as its table entry, the same with any correctly or
// faithfully rounded libm. Truncation alone would not be: at the exact points (sine of a quarter
// and three quarters of a turn, cosine of 0 and a half turn, arctangent of 1) the correctly
// rounded result is exactly +-1 or pi/4 and the scaled value exactly 16384 or 256, but a
// faithful libm may answer one ulp low, and 16383.999... truncates to 16383. Every other entry
// lies at least 1e-4 from an integer (the tests measure it), while a few ulps move a value by
// less than 1e-11. So a value within 1e-6 of an integer is that integer; the rest is truncated.
int32_t tableEntry(double scaled) {
    const double nearest = std::round(scaled);
    return int32_t(std::fabs(scaled - nearest) < 1e-6 ? nearest : std::trunc(scaled));
}

}  // namespace

TrigFunctions runtimeTrigFunctions() {
    return {[](double x) { return std::sin(x); }, [](double x) { return std::cos(x); },
            [](double x) { return std::atan(x); }};
}

void buildTrigTablesWith(const TrigFunctions& f) {
    for (int i = 0; i < 2048; ++i) {
        // The angle is formed as (i * 2 pi) * (1 / 2048), all in double precision.
        const double radians = (i * 6.283185307179586) * (1.0 / 2048.0);
        SinLut[i] = int16_t(tableEntry(f.sin(radians) * double(kOne14)));
        CosLut[i] = int16_t(tableEntry(f.cos(radians) * double(kOne14)));
    }
    buildAtanTableWith(f.atan);
}

void buildAtanTableWith(double (*atan)(double)) {
    for (int i = 0; i <= 512; ++i) AtanLut[i] = uint16_t(tableEntry(atan(i * 0.001953125) * 2048.0 * 0.15915494309189535));
}

void buildTrigTables() { buildTrigTablesWith(runtimeTrigFunctions()); }

void buildAtanTable() { buildAtanTableWith(runtimeTrigFunctions().atan); }

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
