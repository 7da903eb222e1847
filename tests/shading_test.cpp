// SPDX-License-Identifier: MIT
// Colour model and depth shading: the whole ShadeLut and fogRamp against their formulas, the
// conversions, and the three shade functions at and around their zone edges.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

using namespace veloxia;

class Shading : public ::testing::Test {
protected:
    void SetUp() override { initShading(-8192, 10); }
};

TEST_F(Shading, ShadeLutIsThePaletteScaledByLevel) {
    for (int n = 0; n < 512; ++n) {
        const int channel[3] = {32 * (n >> 6) + 31, 32 * ((n >> 3) & 7) + 31, 32 * (n & 7) + 31};
        int sum[3] = {0, 0, 0};
        for (int s = 0; s < 32; ++s) {
            // Level s is the channel added s + 1 times, then cut to 5, 6 and 5 bits.
            for (int k = 0; k < 3; ++k) sum[k] += channel[k];
            const int expected = (sum[0] / 256) << 11 | (sum[1] / 128) << 5 | (sum[2] / 256);
            ASSERT_EQ(ShadeLut[n * 32 + s], expected) << n << " level " << s;
        }
    }
    EXPECT_EQ(ShadeLut[16383], 0xFFFF);
}

TEST_F(Shading, MakeColorIndexKeepsTheTopThreeBits) {
    EXPECT_EQ(makeColorIndex(300, 128, 31), 15360);
    for (int v = 0; v < 256; ++v) {
        ASSERT_EQ(makeColorIndex(v, 0, 0), (v >> 5) << 11);
        ASSERT_EQ(makeColorIndex(0, v, 0), (v >> 5) << 8);
        ASSERT_EQ(makeColorIndex(0, 0, v), (v >> 5) << 5);
    }
    EXPECT_EQ(makeColorIndex(INT32_MAX, 256, 1000), 16352);
    // No lower limit: a negative channel borrows from the one above it.
    EXPECT_EQ(makeColorIndex(0, 0, -1), -32);
}

TEST_F(Shading, ColorIndexToRgbReadsBackThroughTheTable) {
    int32_t r = -1, g = -1, b = -1;
    colorIndexToRgb(16383, r, g, b);
    EXPECT_EQ(r, 248);
    EXPECT_EQ(g, 252);
    EXPECT_EQ(b, 248);
    colorIndexToRgb(0, r, g, b);
    EXPECT_EQ(r | g | b, 0);
    // At full level every colour number survives the round trip through RGB.
    for (int n = 0; n < 512; ++n) {
        colorIndexToRgb(n * 32 + 31, r, g, b);
        ASSERT_EQ(makeColorIndex(r, g, b), n * 32) << n;
        ASSERT_EQ(r % 8 + g % 4 + b % 8, 0);
    }
}

TEST_F(Shading, ShadeClampIgnoresDepth) {
    for (int depth : {0, 1, 7040, 8192, -5, 70000}) {
        EXPECT_EQ(shadeClamp(depth, 0), 1);
        EXPECT_EQ(shadeClamp(depth, -100), 1);
        EXPECT_EQ(shadeClamp(depth, 1), 1);
        EXPECT_EQ(shadeClamp(depth, 17), 17);
        EXPECT_EQ(shadeClamp(depth, 31), 31);
        EXPECT_EQ(shadeClamp(depth, 32), 31);
        EXPECT_EQ(shadeClamp(depth, 40), 31);
    }
}

// The fades written out from their rules, in 64 bits: the depth is the low half of the
// argument, sign-extended.
int linearModel(int depth, int level) {
    const int64_t l = std::min(level, 31), d = int64_t(fogFar) - int16_t(depth) - 128;
    const int64_t r = d >= fogRange ? l : d <= 0 ? 1 : (d * l) >> fogShift;
    return int(std::max<int64_t>(r, 1));
}
int quadraticModel(int depth, int level) {
    const int64_t l = std::min(level, 31), d = int64_t(fogFar) - int16_t(depth) - 64;
    const int64_t range = int64_t(1) << fogShift;
    const int64_t ramp = d > 0 && d < range ? int64_t(std::floor(256.0 * double(d * d) / double(range * range))) : 0;
    const int64_t r = d >= fogRange ? l : d <= 0 ? 1 : (ramp * l) >> 8;
    return int(std::max<int64_t>(r, 1));
}

TEST_F(Shading, FadesMatchTheirRulesForEveryRange) {
    for (int shift = 8; shift <= 12; ++shift) {
        setFogRange(shift);
        for (int low = 3000; low <= 8300; ++low)
            for (int depth : {low, low + 65536, low - 65536})
                for (int level : {-3, 0, 1, 2, 16, 20, 31, 32, 1000}) {
                    ASSERT_EQ(shadeFogLinear(depth, level), linearModel(depth, level)) << shift << " " << depth;
                    ASSERT_EQ(shadeFogQuadratic(depth, level), quadraticModel(depth, level)) << shift << " " << depth;
                }
    }
}

TEST_F(Shading, FogRampAndRangeLimits) {
    for (int shift : {3, 8, 9, 10, 11, 12, 20}) {
        setFogRange(shift);
        const int limited = std::clamp(shift, 8, 12);
        ASSERT_EQ(fogShift, limited);
        ASSERT_EQ(fogRange, 1 << limited);
        const double range2 = double(fogRange) * fogRange;
        for (int d = 0; d < fogRange; ++d)
            ASSERT_EQ(fogRamp[d], int(std::floor(256.0 * d * d / range2))) << shift << " " << d;
    }
}

TEST_F(Shading, SetUpTakesTheFarDistance) {
    initShading(-4000, 8);
    EXPECT_EQ(fogFar, 4000);
    EXPECT_EQ(fogRange, 256);
    EXPECT_EQ(shadeFogLinear(4000 - 128 - 128, 31), 15);
    EXPECT_EQ(ReciprocalLut[2], 65536);
}

}  // namespace
