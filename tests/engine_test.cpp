// SPDX-License-Identifier: MIT
// Engine initialisation, the projection table, every render mode and every engine option.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace veloxia;

// Stand-ins that make every slot recognisable, so a test sees which slots a call changed.
int textStandIn(int, int, int, const char*, int) { return -1; }
int fillStandIn(const ProjectedVertex*, int, int, const ProjectedVertex*, int, int,
                const ProjectedVertex*, int, int, const Texture*) { return -1; }
int16_t shadeStandIn(int, int) { return -1; }
int projectStandIn(const int16_t[3], ProjectedVertex*) { return -1; }
int presentStandIn() { return -1; }

RenderContext marked() {
    return RenderContext{7, 8, 9, textStandIn, fillStandIn, shadeStandIn, projectStandIn, presentStandIn};
}

void expectSame(const RenderContext& got, const RenderContext& want, const char* what) {
    EXPECT_EQ(got.frameCounter, want.frameCounter) << what;
    EXPECT_EQ(got.reserved, want.reserved) << what;
    EXPECT_EQ(got.presentRotation, want.presentRotation) << what;
    EXPECT_EQ(got.drawText, want.drawText) << what;
    EXPECT_EQ(got.fillTriangle, want.fillTriangle) << what;
    EXPECT_EQ(got.shade, want.shade) << what;
    EXPECT_EQ(got.project, want.project) << what;
    EXPECT_EQ(got.present, want.present) << what;
}

// The projection table written out from its rule, single precision throughout.
int32_t projectionEntry(int scale, int d) {
    if (d == 0) return 0;
    const float s = float(int64_t(scale) * 65536);
    return int32_t(std::trunc(s / float(d) + 0.5f));
}

class Engine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initEngine(&renderContext); }
    void SetUp() override {
        // Each test starts from the tables and fade of a fresh engine.
        buildProjectionTable(nullptr, 350);
        setFogRange(10);
    }
};

// Every golden frame draws through the tables initEngine builds; the fade no golden frame uses.
TEST_F(Engine, InitialisationSetsCountersSlotsAndTheFade) {
    RenderContext rc = marked();
    crtSeed(1);
    setLightCount(5);
    initEngine(&rc);
    EXPECT_EQ(lightCount, 0);  // start-up turns the point lights off
    // Every slot but present (left for the display detection) set.
    expectSame(rc, RenderContext{0, 0, 0, drawTextPortrait, fillAffine, shadeClamp, projectPortrait, presentStandIn},
               "initEngine");
    EXPECT_EQ(faceQueue.minKey, kFaceQueueBuckets);  // the face queue starts empty
    EXPECT_EQ(fogFar, 8192);
    EXPECT_EQ(fogRange, 1024);
    EXPECT_EQ(fogShift, 10);
    crtSeed(1);
}

// The one place the runtime's generator is written out; other tests draw from crtRand itself.
TEST_F(Engine, RandomBytesAreTheLowBytesOfTheRuntimeRand) {
    RenderContext rc = marked();
    crtSeed(1);
    initEngine(&rc);
    uint32_t x = 1;
    auto next = [&x] {
        x = x * 214013u + 2531011u;
        return int((x >> 16) & 0x7FFF);
    };
    for (int i = 0; i < 256; ++i) ASSERT_EQ(RandomBytes[i], int8_t(uint8_t(next()))) << i;
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(crtRand(), next()) << i;  // and goes on from there
    EXPECT_EQ(RandomBytes[0], 41);
    EXPECT_EQ(RandomBytes[1], int8_t(18467 & 0xFF));
    crtSeed(1);
}

TEST_F(Engine, ProjectionTableFollowsItsRule) {
    for (int scale : {350, 64, 1024, 1, 777}) {
        buildProjectionTable(nullptr, scale);
        for (int d = 0; d < kProjectionLutSize; ++d)
            ASSERT_EQ(ProjectionLut[d], projectionEntry(scale, d)) << scale << " " << d;
        EXPECT_EQ(ProjectionLut[0], 0);
    }
    buildProjectionTable(nullptr, 350);
    EXPECT_EQ(ProjectionLut[1], 22937600);
    EXPECT_EQ(ProjectionLut[350], 65536);
    EXPECT_EQ(ProjectionLut[700], 32768);
    buildProjectionTable(nullptr, 40000);  // beyond 32 bits: wraps, never overflows a float cast
    EXPECT_EQ(ProjectionLut[0], 0);
}

// What each mode changes, from a context whose every field is marked. One row a mode.
struct ModeRow {
    uint32_t mode;
    ShadeFn shade;             // expected shade slot, or the stand-in for "unchanged"
    FillTriangleFn fill;       // expected fill slot, or the stand-in for "unchanged"
    ProjectFn project;         // expected project slot, or the stand-in for "unchanged"
    uint32_t presentRotation;  // expected word 2 (9 = unchanged)
    DrawTextFn text = textStandIn;  // expected text slot, or the stand-in for "unchanged"
};
const ModeRow kModes[] = {
    {0, shadeFogLinear, fillStandIn, projectStandIn, 9},
    {1, shadeFogQuadratic, fillStandIn, projectStandIn, 9},
    {2, shadeClamp, fillStandIn, projectStandIn, 9},
    {3, shadeStandIn, fillPerspective, projectStandIn, 9},
    {4, shadeStandIn, fillAffine, projectStandIn, 9},
    {5, shadeStandIn, fillStandIn, projectPortrait, 0, drawTextPortrait},
    {6, shadeStandIn, fillStandIn, projectLandscape, 0, drawTextLandscape},
    {7, shadeStandIn, fillStandIn, projectLandscape, 1, drawTextLandscape},
    {8, shadeStandIn, fillAffine, projectStandIn, 9},
    {9, shadeStandIn, fillFlat, projectStandIn, 9},
    {10, shadeStandIn, fillWire, projectStandIn, 9},
};

TEST_F(Engine, EveryRenderModeSetsOnlyItsSlots) {
    for (const ModeRow& row : kModes) {
        RenderContext rc = marked();
        setRenderMode(&rc, row.mode);
        RenderContext want = marked();
        want.shade = row.shade;
        want.fillTriangle = row.fill;
        want.project = row.project;
        want.presentRotation = row.presentRotation;
        want.drawText = row.text;
        expectSame(rc, want, ("mode " + std::to_string(row.mode)).c_str());
    }
}

TEST_F(Engine, ModesOutsideTheTableChangeNothing) {
    for (uint32_t mode : {11u, 12u, 255u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        RenderContext rc = marked();
        setRenderMode(&rc, mode);
        expectSame(rc, marked(), "out of range");
    }
}

TEST_F(Engine, FadeRangeOption) {
    struct {
        int value, range;
    } const rows[] = {{100, 1024}, {127, 1024}, {5000, 1024}, {4097, 1024}, {-1, 1024},
                      {128, 256},  {129, 256},  {256, 256},   {257, 512},   {1000, 1024},
                      {1025, 2048}, {4096, 4096}};
    for (const auto& row : rows) {
        setFogRange(10);
        RenderContext rc = marked();
        EXPECT_EQ(setEngineOption(&rc, 0, row.value), 0) << row.value;
        EXPECT_EQ(fogRange, row.range) << row.value;
        EXPECT_EQ(1 << fogShift, row.range) << row.value;
        expectSame(rc, marked(), "option 0");
    }
}

TEST_F(Engine, QuadraticFadeOption) {
    for (int value : {0, -5, 123456}) {
        RenderContext rc = marked();
        EXPECT_EQ(setEngineOption(&rc, 1, value), 1);
        RenderContext want = marked();
        want.shade = shadeFogQuadratic;
        expectSame(rc, want, "option 1");
    }
}

TEST_F(Engine, FocalLengthOption) {
    const std::vector<int32_t> before(ProjectionLut, ProjectionLut + kProjectionLutSize);
    RenderContext rc = marked();
    for (int value : {63, 1025, 0, -64, 100000}) {
        EXPECT_EQ(setEngineOption(&rc, 2, value), 0) << value;
        ASSERT_EQ(std::memcmp(before.data(), ProjectionLut, sizeof ProjectionLut), 0) << value;
    }
    EXPECT_EQ(setEngineOption(&rc, 2, 64), 1);
    EXPECT_EQ(ProjectionLut[64], 65536);
    EXPECT_EQ(setEngineOption(&rc, 2, 1024), 1);
    EXPECT_EQ(ProjectionLut[1024], 65536);
    expectSame(rc, marked(), "option 2");
}

TEST_F(Engine, OtherOptionsDoNothing) {
    const std::vector<int32_t> before(ProjectionLut, ProjectionLut + kProjectionLutSize);
    for (uint32_t option : {3u, 4u, 100u, 0x80000000u, 0xFFFFFFFFu}) {
        RenderContext rc = marked();
        EXPECT_EQ(setEngineOption(&rc, option, 256), 0);
        expectSame(rc, marked(), "other option");
        EXPECT_EQ(fogRange, 1024);
        ASSERT_EQ(std::memcmp(before.data(), ProjectionLut, sizeof ProjectionLut), 0);
    }
}

}  // namespace
