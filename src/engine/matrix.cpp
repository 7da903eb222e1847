// SPDX-License-Identifier: MIT
// Mat34 operations. Entries 0..8 are the 3x3 part column by column in 2.14 (row r, column c
// at 3c + r); entries 9..11 the translation in view units. Products are summed in 32 bits
// with wrap-around, shifted right by 14 (toward minus infinity) and stored as their low 16 bits.
#include <veloxia/fixedmath.h>
#include <veloxia/matrix.h>

#include <cmath>
#include <cstdint>

#include "engine/wrap.h"

namespace veloxia {

void matCopy(Mat34* d, const Mat34* s) { *d = *s; }

void matIdentity(Mat34* m) {
    *m = Mat34{};
    (*m)[0] = (*m)[4] = (*m)[8] = kOne14;
}

void matMultiplyTo(Mat34* d, const Mat34* a, const Mat34* b) {
    const Mat34& x = *a;
    const Mat34& y = *b;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            (*d)[3 * c + r] = low16(dot14(x[r], y[3 * c], x[3 + r], y[3 * c + 1], x[6 + r], y[3 * c + 2]));
    for (int r = 0; r < 3; ++r)
        (*d)[9 + r] = low16(wrapAdd(x[9 + r], dot14(x[r], y[9], x[3 + r], y[10], x[6 + r], y[11])));
}

// Every result comes from the old entries of a, so b may be a itself.
void matMultiply(Mat34* a, const Mat34* b) {
    Mat34 product;
    matMultiplyTo(&product, a, b);
    *a = product;
}

namespace {

// Row r of the full transform: translation plus the 2.14 dot product, kept to 16 bits.
int16_t transformRow(const Mat34& m, int r, const Vec3& p) {
    return low16(wrapAdd(m[9 + r], dot14(m[r], p.x, m[3 + r], p.y, m[6 + r], p.z)));
}

}  // namespace

void matTransformPoint(const Mat34* m, const Vec3* p, Vec3* out) {
    const Vec3 q = *p;
    out->x = transformRow(*m, 0, q);
    out->y = transformRow(*m, 1, q);
    out->z = transformRow(*m, 2, q);
}

void matTransformZ(const Mat34* m, const Vec3* p, Vec3* out) { out->z = transformRow(*m, 2, *p); }

void matTransformXY(const Mat34* m, const Vec3* p, Vec3* out) {
    const Vec3 q = *p;
    out->x = transformRow(*m, 0, q);
    out->y = transformRow(*m, 1, q);
}

void matTransformXZ(const Mat34* m, const Vec3* p, Vec3* out) {
    const Vec3 q = *p;
    out->x = transformRow(*m, 0, q);
    out->z = transformRow(*m, 2, q);
}

void matRotateVector(const Mat34* m, const Vec3* v, Vec3* out) {
    const Mat34& a = *m;
    const Vec3 q = *v;
    out->x = low16(dot14(a[0], q.x, a[3], q.y, a[6], q.z));
    out->y = low16(dot14(a[1], q.x, a[4], q.y, a[7], q.z));
    out->z = low16(dot14(a[2], q.x, a[5], q.y, a[8], q.z));
}

void matSetScale(Mat34* m, int k) {
    matIdentity(m);
    (*m)[0] = (*m)[4] = (*m)[8] = low16(k);
}

// s is a uniform scale with 256 = 1.0; times 64 it becomes 2.14.
void matScale(Mat34* a, int s) {
    Mat34 scale;
    matSetScale(&scale, wrapMul(s, 64));
    matMultiply(a, &scale);
}

void matTranslate(Mat34* a, int x, int y, int z) {
    Mat34 t;
    matIdentity(&t);
    t[9] = low16(x);
    t[10] = low16(y);
    t[11] = low16(z);
    matMultiply(a, &t);
}

void matTranslateVec(Mat34* a, const Vec3* v) { matTranslate(a, v->x, v->y, v->z); }

void matSetRotationX(Mat34* m, int angle) {
    const int16_t s = SinLut[angle & 2047], c = CosLut[angle & 2047];
    Mat34& e = *m;
    e[0] = kOne14, e[1] = 0, e[2] = 0;
    e[3] = 0, e[4] = c, e[5] = s;
    e[6] = 0, e[7] = low16(-s), e[8] = c;
}

void matSetRotationY(Mat34* m, int angle) {
    const int16_t s = SinLut[angle & 2047], c = CosLut[angle & 2047];
    Mat34& e = *m;
    e[0] = c, e[1] = 0, e[2] = low16(-s);
    e[3] = 0, e[4] = kOne14, e[5] = 0;
    e[6] = s, e[7] = 0, e[8] = c;
}

void matSetRotationZ(Mat34* m, int angle) {
    const int16_t s = SinLut[angle & 2047], c = CosLut[angle & 2047];
    Mat34& e = *m;
    e[0] = c, e[1] = s, e[2] = 0;
    e[3] = low16(-s), e[4] = c, e[5] = 0;
    e[6] = 0, e[7] = 0, e[8] = kOne14;
}

void matRotateX(Mat34* a, int angle) {
    Mat34 r;
    matIdentity(&r);
    matSetRotationX(&r, angle);
    matMultiply(a, &r);
}

void matRotateY(Mat34* a, int angle) {
    Mat34 r;
    matIdentity(&r);
    matSetRotationY(&r, angle);
    matMultiply(a, &r);
}

void matRotateZ(Mat34* a, int angle) {
    Mat34 r;
    matIdentity(&r);
    matSetRotationZ(&r, angle);
    matMultiply(a, &r);
}

void matSetAxisRotation(Mat34* m, int angle, const Vec3* axis) {
    const int32_t x = axis->x, y = axis->y, z = axis->z;
    const int32_t s = SinLut[angle & 2047], c = CosLut[angle & 2047];
    const int32_t t = kOne14 - c;  // 1 - cos, 2.14
    // P(u, v) = ((u v) >> 14) * t >> 14: one term of the outer product scaled by 1 - cos.
    auto p = [t](int32_t u, int32_t v) { return sar(wrapMul(sar(u * v, 14), t), 14); };
    auto sine = [s](int32_t u) { return sar(u * s, 14); };
    Mat34& e = *m;
    e[0] = low16(wrapAdd(c, p(x, x)));
    e[1] = low16(wrapAdd(p(y, x), sine(z)));
    e[2] = low16(wrapSub(p(z, x), sine(y)));
    e[3] = low16(wrapSub(p(y, x), sine(z)));
    e[4] = low16(wrapAdd(c, p(y, y)));
    e[5] = low16(wrapAdd(p(z, y), sine(x)));
    e[6] = low16(wrapAdd(p(z, x), sine(y)));
    e[7] = low16(wrapSub(p(z, y), sine(x)));
    e[8] = low16(wrapAdd(c, p(z, z)));
    e[9] = e[10] = e[11] = 0;
}

namespace {

// A 2.14 entry from a floating-point value: truncated toward zero; values beyond the 32-bit
// range saturate (NaN gives 0), as the handheld's float conversion does, then the low 16 bits
// are kept. Only an axis that is not a unit vector gets that far.
int16_t entryFromDouble(double v) {
    const double scaled = std::trunc(v * double(kOne14));
    if (!(scaled == scaled)) return 0;
    if (scaled >= 2147483647.0) return low16(INT32_MAX);
    if (scaled <= -2147483648.0) return low16(INT32_MIN);
    return low16(int32_t(scaled));
}

double dropTiny(double v) { return std::fabs(v) < 1e-9 ? 0.0 : v; }

}  // namespace

void matSetAxisRotationDeg(Mat34* m, double degrees, const Vec3* axis) {
    const double x = axis->x, y = axis->y, z = axis->z;
    const double r = degrees * 0.017453292519943295;
    const double s = dropTiny(std::sin(r)), c = dropTiny(std::cos(r));
    const double t = 1.0 - c;
    Mat34& e = *m;
    e[0] = entryFromDouble(x * x * t + c);
    e[1] = entryFromDouble(y * x * t + z * s);
    e[2] = entryFromDouble(z * x * t - y * s);
    e[3] = entryFromDouble(y * x * t - z * s);
    e[4] = entryFromDouble(y * y * t + c);
    e[5] = entryFromDouble(z * y * t + x * s);
    e[6] = entryFromDouble(z * x * t + y * s);
    e[7] = entryFromDouble(z * y * t - x * s);
    e[8] = entryFromDouble(z * z * t + c);
    e[9] = e[10] = e[11] = 0;
}

}  // namespace veloxia
