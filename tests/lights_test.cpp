// SPDX-License-Identifier: MIT
// Point lights, vertex light effects and darkening.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include "support/mesh_builder.h"

using namespace veloxia;

namespace {

class Lights : public ::testing::Test {
protected:
    void SetUp() override {
        buildReciprocalTables();
        buildTrigTables();
        for (PointLight& l : lightTable) l = PointLight{};
        setLightCount(0);
    }
    void TearDown() override { setLightCount(0); }

    // Light 0 at the origin, the only light.
    static void oneLight(uint32_t type, int32_t intensity, int32_t radius) {
        lightTable[0] = PointLight{};
        setLight(&lightTable[0], type, intensity, radius);
        setLightCount(1);
    }
    static int32_t sumAt(int16_t x, int16_t y, int16_t z, int16_t nx, int16_t ny, int16_t nz) {
        const int16_t p[3] = {x, y, z};
        const int16_t n[3] = {nx, ny, nz};
        return lightSum(p, n);
    }
};

TEST_F(Lights, SetLightLimitsRadiusAndIntensity) {
    PointLight l{};
    l.type = 2;
    l.radius = 77;
    l.intensity = 5;
    setLight(&l, 1, 500, 15);  // too small: switched off, nothing else written
    EXPECT_EQ(l.type, 0u);
    EXPECT_EQ(l.radius, 77);
    EXPECT_EQ(l.intensity, 5);

    setLight(&l, 2, 5000, 5000);
    EXPECT_EQ(l.type, 2u);
    EXPECT_EQ(l.radius, 4095);
    EXPECT_EQ(l.radius2, 4095u * 4095u);
    EXPECT_EQ(l.intensity, 1023);

    setLight(&l, 1, 1000, 16);  // the smallest radius that lights
    EXPECT_EQ(l.type, 1u);
    EXPECT_EQ(l.radius2, 256u);
}

TEST_F(Lights, FalloffFadesToAboutZeroAtTheRadius) {
    // Both forms of the falloff (below and from radius 256): full intensity at the light, close to
    // nothing just inside the radius.
    for (int32_t radius : {100, 255, 256, 1000, 4095}) {
        oneLight(1, 1000, radius);
        const int16_t inside = int16_t(radius - 1);
        // d2 < 1024 takes no direction term: the wrap light gives the attenuated intensity.
        EXPECT_EQ(sumAt(0, 0, 0, 0, 0, 0), 1000) << radius;
        const int32_t edge = sumAt(inside, 0, 0, 0, 32767, 0) * 2;  // wrap at right angles: half of a
        EXPECT_LE(edge, 40) << radius;
        EXPECT_GE(edge, -2) << radius;
    }
}

TEST_F(Lights, PointsWithin32UnitsIgnoreTheNormal) {
    oneLight(2, 20, 100);
    // d2 = 961: full attenuated intensity even facing away (20 - ((3 * 2097) >> 12)).
    EXPECT_EQ(sumAt(31, 0, 0, 32767, 0, 0), 19);
    EXPECT_EQ(sumAt(31, 0, 0, -32767, 0, 0), 19);
    // d2 = 1024: the facing light now needs the normal towards it.
    EXPECT_EQ(sumAt(32, 0, 0, 32767, 0, 0), 0);
    EXPECT_GT(sumAt(32, 0, 0, -32767, 0, 0), 0);
}

TEST_F(Lights, FacingAndWrapLightsAtRightAngles) {
    // Point 100 units from the light, radius 200, intensity 1000: a = 1000 - ((39 * 26210) >> 12) = 751.
    oneLight(2, 1000, 200);
    EXPECT_EQ(sumAt(100, 0, 0, 0, 32767, 0), 0);     // at right angles
    EXPECT_EQ(sumAt(100, 0, 0, 32767, 0, 0), 0);     // facing away
    EXPECT_EQ(sumAt(100, 0, 0, -32767, 0, 0), 749);  // facing it: about a

    oneLight(1, 1000, 200);
    EXPECT_EQ(sumAt(100, 0, 0, 0, 32767, 0), 375);  // (0x100000 * 751) >> 21: half of a
    EXPECT_EQ(sumAt(100, 0, 0, 32767, 0, 0), 0);    // facing away: the wrap term just cancels
}

TEST_F(Lights, WrapLightShiftsAreLogical) {
    // A normal longer than unit facing away drives the wrap term below zero; the final shift is
    // logical, so the sum comes out large rather than negative.
    oneLight(1, 1000, 200);
    EXPECT_EQ(sumAt(40, 40, 0, 32767, 32767, 0), 1850);
}

TEST_F(Lights, OnlyTheCountedLightsAndLivingTypesAdd) {
    setLight(&lightTable[0], 1, 10, 100);
    setLight(&lightTable[1], 1, 7, 100);
    setLight(&lightTable[2], 3, 1000, 100);  // unknown type: nothing, even within 32 units
    setLight(&lightTable[4], 0xFFFFFFFFu, 1000, 100);
    lightTable[3] = lightTable[1];
    lightTable[3].type = 0;                  // off
    setLightCount(1);
    EXPECT_EQ(sumAt(0, 0, 0, 0, 0, 0), 10);
    setLightCount(5);
    EXPECT_EQ(sumAt(0, 0, 0, 0, 0, 0), 17);
    // Exactly at the radius a light is out of reach.
    EXPECT_EQ(sumAt(100, 0, 0, -32767, 0, 0), 0);

    setLightCount(-3);
    EXPECT_EQ(lightCount, 0);
    setLightCount(99);
    EXPECT_EQ(lightCount, kMaxLights);
}

// A row of vertices along x at the given light levels, normals facing -x (towards the origin).
SceneObject rowObject(std::initializer_list<int16_t> xs, int16_t light) {
    std::vector<vxtest::VertexSpec> v;
    for (int16_t x : xs) v.push_back({x, 0, 0, light, -32767, 0, 0});
    return vxtest::makeObject(v, {});
}

TEST_F(Lights, EffectCreationThresholds) {
    SceneObject objects[2];
    objects[0] = rowObject({10, 100, 200, 2000}, 5);
    objects[1] = rowObject({10}, 5);
    objects[1].worldMember = 0;  // not a world member: ignored
    objects[0].vertices[1].light = 29;  // too bright to take part

    VertexLightEffect e{};
    e.amplitude = 77;
    EXPECT_EQ(createVertexLightEffect(&e, -1, 300, 500, 2, objects, 2), 0);
    EXPECT_EQ(e.amplitude, 77);  // negative intensity: nothing changes
    EXPECT_EQ(createVertexLightEffect(&e, 50, 31, 5000, 2, objects, 2), 0);
    EXPECT_EQ(e.amplitude, 1023);  // clamped before the radius is checked
    EXPECT_EQ(e.vertices, nullptr);

    // Intensity 50 at radius 300: x = 10 gets 50, x = 200 gets about a third of it, x = 2000 is out
    // of reach; x = 100 is too bright.
    EXPECT_EQ(createVertexLightEffect(&e, 50, 300, 100, 2, objects, 2), 2);
    EXPECT_EQ(lightCount, 0);
    ASSERT_NE(e.vertices, nullptr);
    EXPECT_EQ(e.vertices[0], &objects[0].vertices[0]);
    EXPECT_EQ(e.vertices[1], &objects[0].vertices[2]);
    EXPECT_EQ(e.weights[0], 50);
    EXPECT_GE(e.weights[1], 3);
    EXPECT_LT(e.weights[1], 50);
    EXPECT_EQ(objects[0].vertices[0].lightSaved, 5);
    EXPECT_EQ(e.phase, 0);
    EXPECT_EQ(e.countdown, 0);

    // Contributions below 3 do not count: a weak effect reaches nothing and allocates nothing.
    VertexLightEffect weak{};
    EXPECT_EQ(createVertexLightEffect(&weak, 2, 300, 0, 2, objects, 2), 0);
    EXPECT_EQ(weak.vertices, nullptr);
    EXPECT_EQ(weak.weights, nullptr);
    removeVertexLightEffect(&e);
}

TEST_F(Lights, WrapEffectSkipsVerticesFacingAway) {
    SceneObject o = rowObject({10, 20}, 5);
    o.vertices[1].nx = 32767;  // facing away from the effect at the origin
    VertexLightEffect e{};
    EXPECT_EQ(createVertexLightEffect(&e, 50, 300, 0, 1, &o, 1), 1);
    EXPECT_EQ(e.vertices[0], &o.vertices[0]);
    removeVertexLightEffect(&e);
}

TEST_F(Lights, UpdatePulsesCapsAt31AndRemoveRestores) {
    SceneObject o = rowObject({10, 200}, 5);
    VertexLightEffect e{};
    ASSERT_EQ(createVertexLightEffect(&e, 50, 300, 1023, 2, &o, 1), 2);
    const int w1 = e.weights[1];
    e.intensity = 0;
    e.phaseStep = 1024;  // half a cycle per update
    updateVertexLightEffect(&e);  // phase 0: pulse = amplitude
    EXPECT_EQ(o.vertices[0].light, 31);  // 5 + 199 capped
    EXPECT_EQ(o.vertices[1].light, std::min(31, 5 + ((1023 * w1) >> 8)));
    EXPECT_EQ(e.phase, 1024);
    updateVertexLightEffect(&e);  // phase 1024: the cosine is -1, no pulse
    EXPECT_EQ(o.vertices[0].light, 5);
    EXPECT_EQ(o.vertices[1].light, 5);
    EXPECT_EQ(e.phase, 0);

    e.amplitude = 0;
    e.intensity = 128;  // the steady part: half the weight
    updateVertexLightEffect(&e);
    EXPECT_EQ(o.vertices[0].light, 30);
    EXPECT_EQ(o.vertices[1].light, 5 + (w1 >> 1));

    removeVertexLightEffect(&e);
    EXPECT_EQ(o.vertices[0].light, 5);
    EXPECT_EQ(o.vertices[1].light, 5);
    EXPECT_EQ(e.count, 0);
    EXPECT_EQ(e.vertices, nullptr);
    updateVertexLightEffect(&e);  // an empty effect does nothing
    EXPECT_EQ(o.vertices[0].light, 5);
}

TEST_F(Lights, FlickerJumpsThePhaseFromTheRandomBytes) {
    SceneObject o = rowObject({10}, 5);
    VertexLightEffect e{};
    ASSERT_EQ(createVertexLightEffect(&e, 50, 300, 0, 2, &o, 1), 1);
    e.randomIndex = 9;
    RandomBytes[10] = -128;
    RandomBytes[11] = 64;
    e.flicker = 1;
    e.flickerJump = 100;
    e.flickerPeriod = 8;
    e.phaseStep = 5;
    updateVertexLightEffect(&e);
    // j = (-128 * 100) >> 8 = -50 turns the step round; phase = 0 + 100 - 50, then the step.
    EXPECT_EQ(e.phaseStep, -5);
    EXPECT_EQ(e.phase, 45);
    EXPECT_EQ(e.randomIndex, 11);
    EXPECT_EQ(e.countdown, 8 + ((64 * 8) >> 8));
    updateVertexLightEffect(&e);  // counting down: only the step
    EXPECT_EQ(e.countdown, 9);
    EXPECT_EQ(e.phase, 40);
    removeVertexLightEffect(&e);
}

TEST_F(Lights, DarkeningThresholdsAndFade) {
    // Vertices facing the centre at distances 1, 50 and 100, one facing away, one beyond reach.
    std::vector<vxtest::VertexSpec> v = {
        {1, 0, 0, 31, -32767, 0, 0}, {50, 0, 0, 31, -32767, 0, 0}, {100, 0, 0, 31, -32767, 0, 0},
        {1, 0, 0, 31, 32767, 0, 0},  {101, 0, 0, 31, -32767, 0, 0},
    };
    SceneObject o = vxtest::makeObject(v, {});
    const int16_t centre[3] = {0, 0, 0};
    darkenVertices(centre, 7, 100, &o, 1);
    darkenVertices(centre, 256, 31, &o, 1);
    darkenVertices(centre, 256, 100, &o, 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(o.vertices[i].light, 31) << i;

    o.vertices[2].lightSaved = 12;
    darkenVertices(centre, 256, 100, &o, 1);
    EXPECT_EQ(o.vertices[0].light, 1);   // f = 656: almost black, never below 1
    EXPECT_EQ(o.vertices[1].light, 15);  // halfway: f = 32768
    EXPECT_EQ(o.vertices[2].light, 31);  // at the radius: f = 65536
    EXPECT_EQ(o.vertices[3].light, 31);  // faces away
    EXPECT_EQ(o.vertices[4].light, 31);  // beyond the radius
    EXPECT_EQ(o.vertices[2].lightSaved, 12);
}

}  // namespace
