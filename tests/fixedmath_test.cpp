// SPDX-License-Identifier: MIT
// Fixed-point tables and vector helpers: whole tables against their formulas, the documented
// edge values, and the helpers against plain 64-bit models on seeded random inputs.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "engine/trig_build.h"

namespace {

using namespace veloxia;

class FixedMath : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        buildTrigTables();
        buildReciprocalTables();
    }
};

// The low 16 bits of a 64-bit model result, as the engine stores it.
int16_t keep16(int64_t v) { return int16_t(uint16_t(uint64_t(v) & 0xFFFF)); }
// Arithmetic shift of a 32-bit wrapped model value, written as a floor division.
int64_t floorShift14(int64_t wrapped32) {
    const int64_t v = int32_t(uint32_t(uint64_t(wrapped32)));
    return v >= 0 ? v / 16384 : -((-v + 16383) / 16384);
}

TEST_F(FixedMath, SqrtTableIsRoundedSquareRoots) {
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(SqrtLut[i], std::lround(1024.0 * std::sqrt(i))) << i;
}

TEST_F(FixedMath, SquareRootsAtTheBandEdges) {
    const struct {
        int (*root)(int);
        int v, want;
    } cases[] = {{isqrt, 0, 0},          {isqrt, 5, 2},           {isqrt, 4095, 63},           {isqrt, 4096, 64},
                 {isqrt, 10000, 100},    {isqrt, 65535, 255},     {isqrt, 65536, 256},         {isqrt, 16777215, 4095},
                 {isqrt, 16777216, 4096}, {isqrt, INT32_MAX, SqrtLut[2047]}, {isqrtX256, 1, 256}, {isqrtX16, 1, 16},
                 {isqrtX16, 4096, 1024}, {isqrtX256, 65536, 65536}, {isqrtX16, 16777216, 65536},
                 {isqrtX256, 16777216, 1048576}};
    for (const auto& c : cases) EXPECT_EQ(c.root(c.v), c.want) << c.v;
}

// The tables' formulas with the runtime's libm, before the choice of the entry.
struct ScaledTrig {
    std::vector<double> sin, cos, atan;
    ScaledTrig() {
        for (int i = 0; i < 2048; ++i) {
            const double radians = (i * 6.283185307179586) * (1.0 / 2048.0);
            sin.push_back(std::sin(radians) * 16384.0);
            cos.push_back(std::cos(radians) * 16384.0);
        }
        for (int i = 0; i <= 512; ++i) atan.push_back(std::atan(i * 0.001953125) * 2048.0 * 0.15915494309189535);
    }
};

TEST_F(FixedMath, TrigTablesMatchTheirFormulas) {
    const ScaledTrig scaled;
    // Entries truncate toward zero, except that a value a hair's breadth from an integer is it.
    const auto entry = [](double v) { return std::fabs(v - std::round(v)) < 1e-6 ? std::round(v) : std::trunc(v); };
    for (int i = 0; i < 2048; ++i) {
        ASSERT_EQ(SinLut[i], entry(scaled.sin[i])) << i;
        ASSERT_EQ(CosLut[i], entry(scaled.cos[i])) << i;
    }
    for (int i = 0; i <= 512; ++i) ASSERT_EQ(AtanLut[i], entry(scaled.atan[i])) << i;
}

// A libm that answers one ulp low everywhere (or one ulp high) still gives the same tables.
TEST_F(FixedMath, TrigTablesAreTheSameWithALibmOneUlpOff) {
    const std::vector<int16_t> sin(SinLut, SinLut + 2048), cos(CosLut, CosLut + 2048);
    const std::vector<uint16_t> atan(AtanLut, AtanLut + 513);
    const TrigFunctions low{[](double x) { return std::nextafter(std::sin(x), -2.0); },
                            [](double x) { return std::nextafter(std::cos(x), -2.0); },
                            [](double x) { return std::nextafter(std::atan(x), -2.0); }};
    const TrigFunctions high{[](double x) { return std::nextafter(std::sin(x), 2.0); },
                             [](double x) { return std::nextafter(std::cos(x), 2.0); },
                             [](double x) { return std::nextafter(std::atan(x), 2.0); }};
    // The first index where a table differs from its copy, -1 when none.
    const auto firstDifference = [](const auto& copy, const auto* table) {
        for (size_t i = 0; i < copy.size(); ++i)
            if (table[i] != copy[i]) return int(i);
        return -1;
    };
    for (const TrigFunctions& libm : {low, high}) {
        buildTrigTablesWith(libm);
        EXPECT_EQ(firstDifference(sin, SinLut), -1);
        EXPECT_EQ(firstDifference(cos, CosLut), -1);
        EXPECT_EQ(firstDifference(atan, AtanLut), -1);
    }
    buildTrigTables();
}

TEST_F(FixedMath, ReciprocalTablesMatchTheirFormulas) {
    for (int k = 1; k < 8192; ++k) ASSERT_EQ(ReciprocalLut[k], int32_t(131072.0f / float(k))) << k;
    EXPECT_EQ(ReciprocalLut[0], 131072);
    EXPECT_EQ(PerspectiveLut[0], 0);
    for (int d = 1; d < 4096; ++d) {
        const int64_t q = 4194304 / d;
        ASSERT_EQ(PerspectiveLut[d], q > 65536 ? 0 : std::min<int64_t>(q, 65535)) << d;
    }
}

TEST_F(FixedMath, AngleOfTheAxesAndDiagonals) {
    const int cases[][3] = {{1, 0, 0},          {0, 1, 512},          {-1, 0, 1024},       {0, -1, 1536},
                            {0, 0, 1536},       {100, 100, 256},      {-100, 100, 768},    {-100, -100, 1280},
                            {100, -100, 1792},  {1000, -1, 2048},     {INT32_MIN, INT32_MIN, 1280}};
    for (const auto& c : cases) EXPECT_EQ(angleOf(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
}

TEST_F(FixedMath, AngleOfFollowsTheDirectionAllRound) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-(1 << 21), 1 << 21);
    for (int n = 0; n < 20000; ++n) {
        const int x = coord(rng), y = coord(rng);
        if (x == 0 && y == 0) continue;
        double expected = std::atan2(double(y), double(x)) * 1024.0 / std::numbers::pi;
        if (expected < 0) expected += 2048.0;
        const int got = angleOf(x, y);
        ASSERT_GE(got, 0);
        ASSERT_LE(got, 2048);
        // Octant arithmetic with truncated table reads stays within two units either way.
        double diff = std::fabs(got - expected);
        diff = std::min(diff, 2048.0 - diff);
        ASSERT_LE(diff, 2.0) << x << ", " << y;
    }
}

TEST_F(FixedMath, HeadingUsesZAgainstX) {
    const Vec3 p{10, 99, 20};
    const Vec3 east{10, -5, 120};  // +z from p
    const Vec3 north{110, 7, 20};  // +x from p
    EXPECT_EQ(headingBetween(&p, &east), 0);
    EXPECT_EQ(headingBetween(&p, &north), 512);
    EXPECT_EQ(headingBetween(&p, &p), 1536);
}

TEST_F(FixedMath, AngleDeltaAndCeilLog2) {
    // The one turn in -1023..1024 that takes a to b: half a turn is +1024.
    EXPECT_EQ(angleDelta(INT32_MIN, INT32_MAX), -1);
    for (int a = -3000; a < 3000; a += 37)
        for (int b = -3000; b < 3000; b += 41) {
            const int d = angleDelta(a, b);
            ASSERT_GE(d, -1023);
            ASSERT_LE(d, 1024);
            ASSERT_EQ(((a + d - b) % 2048 + 2048) % 2048, 0) << a << " " << b;
        }
    const int logs[][2] = {{INT32_MIN, 0}, {0, 0},     {1, 0},      {2, 1},     {3, 2},         {128, 7},
                           {129, 8},       {1024, 10}, {1025, 11},  {4096, 12}, {INT32_MAX, 31}};
    for (const auto& [v, log] : logs) EXPECT_EQ(ceilLog2(v), log) << v;
}

Vec3 randomVec(std::mt19937& rng) {
    std::uniform_int_distribution<int> c(-32768, 32767);
    return Vec3{int16_t(c(rng)), int16_t(c(rng)), int16_t(c(rng))};
}

TEST_F(FixedMath, ScaleAndCrossWrapLikeTheModel) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> k(INT32_MIN, INT32_MAX);
    for (int n = 0; n < 20000; ++n) {
        const Vec3 a = randomVec(rng), b = randomVec(rng);
        const int factor = n % 2 ? k(rng) : int(a.x);
        Vec3 s = a;
        scaleVector(&s, factor);
        EXPECT_EQ(s.x, keep16(floorShift14(int64_t(a.x) * factor)));
        EXPECT_EQ(s.y, keep16(floorShift14(int64_t(a.y) * factor)));
        EXPECT_EQ(s.z, keep16(floorShift14(int64_t(a.z) * factor)));
        Vec3 c{};
        crossProduct(&a, &b, &c);
        EXPECT_EQ(c.x, keep16(floorShift14(int64_t(a.y) * b.z - int64_t(a.z) * b.y)));
        EXPECT_EQ(c.y, keep16(floorShift14(int64_t(a.z) * b.x - int64_t(a.x) * b.z)));
        EXPECT_EQ(c.z, keep16(floorShift14(int64_t(a.x) * b.y - int64_t(a.y) * b.x)));
    }
}

TEST_F(FixedMath, NormalizeToUnitLength) {
    Vec3 zero{0, 0, 0};
    normalize14(&zero);
    normalizeFloat14(&zero);
    EXPECT_EQ(zero.x | zero.y | zero.z, 0);
    Vec3 f{0, -4, 0};
    normalizeFloat14(&f);
    EXPECT_EQ(f.y, -16384);

    std::mt19937 rng(5);
    std::uniform_int_distribution<int> c(-20000, 20000);
    for (int n = 0; n < 20000; ++n) {
        const Vec3 a{int16_t(c(rng)), int16_t(c(rng)), int16_t(c(rng))};
        const int64_t sum = int64_t(a.x) * a.x + int64_t(a.y) * a.y + int64_t(a.z) * a.z;
        if (sum == 0) continue;
        Vec3 v = a;
        normalize14(&v);
        const int length = isqrt(int(sum));
        // C++ division truncates toward zero, as the engine's does.
        EXPECT_EQ(v.x, keep16(int64_t(a.x) * 16384 / length));
        EXPECT_EQ(v.z, keep16(int64_t(a.z) * 16384 / length));
        Vec3 w = a;
        normalizeFloat14(&w);
        const double exact = std::sqrt(double(sum));
        EXPECT_NEAR(w.x, a.x * 16384.0 / exact, 2.0);
        EXPECT_NEAR(w.y, a.y * 16384.0 / exact, 2.0);
        EXPECT_LE(std::abs(w.z), 16384);
    }
}

TEST_F(FixedMath, FloatNormalizeLeavesAWrappedLengthAlone) {
    Vec3 v{30000, 30000, 30000};  // squared length wraps negative in 32 bits
    normalizeFloat14(&v);
    EXPECT_EQ(v.x, 30000);
    EXPECT_EQ(v.z, 30000);
}

}  // namespace
