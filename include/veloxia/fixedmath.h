// SPDX-License-Identifier: MIT
// Fixed-point tables and vector helpers.
//
// Angles are 2048ths of a turn (only the low 11 bits index the tables); unit lengths and
// sines are 2.14 (16384 = 1.0). Every per-vertex or per-pixel division is a table read.
// SqrtLut is constant data; the other tables are built by initEngine.
#pragma once

#include <cstdint>

#include "types.h"

namespace veloxia {

inline constexpr int32_t kOne14 = 16384;  // 1.0 in 2.14 fixed point (matrix entries, sines, unit vectors)
inline constexpr int kReciprocalLutSize = 8192;

extern const uint16_t SqrtLut[4096];   // entry i = round(1024 * sqrt(i))
extern int16_t SinLut[2048];           // entry i = sin(2 pi i / 2048) * 16384, truncated
extern int16_t CosLut[2048];           // entry i = cos(2 pi i / 2048) * 16384, truncated
extern uint16_t AtanLut[513];          // entry i = atan(i / 512) * 2048 / (2 pi), truncated
extern int32_t ReciprocalLut[kReciprocalLutSize];  // entry k = 131072 / k (single precision), entry 0 = entry 1
extern uint16_t PerspectiveLut[4096];  // entry d = 4194304 / d; 65535 for 65536, 0 above; entry 0 = 0

void buildTrigTables();        // SinLut, CosLut, then AtanLut
void buildAtanTable();         // AtanLut
void buildReciprocalTables();  // ReciprocalLut and PerspectiveLut

int isqrt(int v);      // sqrt(v) by table, truncated; v in 0..2^31-1
int isqrtX16(int v);   // 16 * sqrt(v)
int isqrtX256(int v);  // 256 * sqrt(v)
int angleOf(int x, int y);                         // direction of (x, y): 0..2048, counter-clockwise from +x
int headingBetween(const Vec3* p, const Vec3* q);  // angleOf(q.z - p.z, q.x - p.x)
int ceilLog2(int v);                               // smallest n >= 1 with 2^n >= v; 0 below 2
int angleDelta(int a, int b);                      // (b - a) folded into -1023..1024
void scaleVector(Vec3* v, int k);                  // each component (c * k) >> 14
void crossProduct(const Vec3* a, const Vec3* b, Vec3* out);  // (a x b) >> 14; out must differ from a and b
void normalize14(Vec3* v);       // to length 16384 with isqrt; a zero vector is left alone
void normalizeFloat14(Vec3* v);  // the same in floating point

}  // namespace veloxia
