// SPDX-License-Identifier: MIT
// World render: cell visibility, depth buckets, occlusion samples, the frame stamp and the slots.
//
// The view is the identity matrix with focal length 350: a point (x, y, z) with z = -350 lands on
// column 160 + y, row 120 + x.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <memory>

#include "support/mesh_builder.h"

using namespace veloxia;
using vxtest::VertexSpec;

namespace {

int fillCount = 0;
int countFill(const ProjectedVertex*, int, int, const ProjectedVertex*, int, int, const ProjectedVertex*, int, int,
              const Texture*) {
    ++fillCount;
    return 0;
}

class WorldRender : public ::testing::Test {
protected:
    void SetUp() override {
        initEngine(&renderContext);
        stackInit(&matrixStack, 4);
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 8192u << 16);
        texture.width = texture.height = 8;
        texture.uMask = 7u << 16;
        texture.vMask = 56u << 16;
        texture.texels = texels;
        texture.frameCount = 1;
        fillCount = 0;
    }
    void TearDown() override {
        stackFree(&matrixStack);
        resetFaceQueue(&faceQueue);
        setLightCount(0);
    }

    // A box from lo to hi in the bounds' corner order.
    static Bounds box(Vec3 lo, Vec3 hi) {
        Bounds b{};
        setBoundsCorners(&b, &lo, &hi);
        return b;
    }

    // A square of two triangles at depth z, facing the eye, x and y in [x0, x0 + size].
    void addSquare(std::vector<VertexSpec>& v, std::vector<std::array<int, 3>>& t, int16_t x0, int16_t y0,
                   int16_t size, int16_t z) {
        const int base = int(v.size());
        v.push_back({x0, y0, z});
        v.push_back({int16_t(x0 + size), y0, z});
        v.push_back({int16_t(x0 + size), int16_t(y0 + size), z});
        v.push_back({x0, int16_t(y0 + size), z});
        t.push_back({base, base + 1, base + 2});
        t.push_back({base, base + 2, base + 3});
    }

    // A 40-unit square at view z -350 around the view axis, as one world object.
    SceneObject centredSquare() {
        std::vector<VertexSpec> v;
        std::vector<std::array<int, 3>> t;
        addSquare(v, t, -20, -20, 40, -350);
        return vxtest::makeObject(v, t, &texture);
    }

    uint16_t texels[64] = {};
    Texture texture{};
};

TEST_F(WorldRender, BucketsFollowTheCentreDepth) {
    auto w = std::make_unique<World>();
    const int16_t depths[] = {-127, -128, 50, -9000, -100};
    for (int i = 0; i < 5; ++i) {
        w->cells[i].bounds.centre = Vec3{0, 0, depths[i]};
        bucketCell(w.get(), &w->cells[i]);
    }
    EXPECT_EQ(w->nodeCount, 5);
    EXPECT_EQ(w->buckets[0].count, 3);  // 127 in front, behind the eye, 100 in front
    EXPECT_EQ(w->buckets[1].count, 1);
    EXPECT_EQ(w->buckets[64].count, 1);
    // Cells stay in the order they were bucketed.
    EXPECT_EQ(w->buckets[0].head->cell, &w->cells[0]);
    EXPECT_EQ(w->buckets[0].head->next->cell, &w->cells[2]);
    EXPECT_EQ(w->buckets[0].tail->cell, &w->cells[4]);
}

TEST_F(WorldRender, CellVisibilityByCornerDepths) {
    Bounds behind = box({-10, -10, -63}, {10, 10, 100});
    EXPECT_FALSE(cellVisible(&behind, false));
    Bounds beyond = box({-10, -10, -9000}, {10, 10, -8705});
    EXPECT_FALSE(cellVisible(&beyond, false));
    Bounds deep = box({-10, -10, -8600}, {10, 10, -8193});  // nearest corner deeper than 8192
    EXPECT_FALSE(cellVisible(&deep, false));
    EXPECT_EQ(deep.nearestDepth, 8193);

    Bounds ahead = box({-10, -20, -400}, {10, 20, -350});
    ASSERT_TRUE(cellVisible(&ahead, false));
    EXPECT_EQ(ahead.allCornersProjected, 1);
    EXPECT_EQ(ahead.nearestDepth, 350);
    EXPECT_EQ(ahead.screenMinX, 140);
    EXPECT_EQ(ahead.screenMaxX, 180);
    EXPECT_EQ(ahead.screenMinY, 110);
    EXPECT_EQ(ahead.screenMaxY, 130);

    // Corners at exactly 8704 pass the depth test and project at the table's last entry.
    Bounds farthest = box({-10, -10, -8704}, {10, 10, -8000});
    ASSERT_TRUE(cellVisible(&farthest, false));
    EXPECT_EQ(farthest.allCornersProjected, 1);

    // Wholly projected but off the screen: rejected.
    Bounds right = box({-10, 400, -400}, {10, 500, -350});
    EXPECT_FALSE(cellVisible(&right, false));
}

TEST_F(WorldRender, PartlyProjectedCellsUseTheGuardBand) {
    // Straddling the eye: the far corners are on screen, the near ones behind the eye.
    Bounds straddle = box({-10, -10, -300}, {10, 10, 20});
    ASSERT_TRUE(cellVisible(&straddle, true));  // never skipped by the occlusion test
    EXPECT_EQ(straddle.allCornersProjected, 0);
    // Projected corners from column 685: outside the guard band even for a partly projected box.
    Bounds farRight = box({-10, 1500, -1000}, {10, 1600, 20});
    EXPECT_FALSE(cellVisible(&farRight, false));
    Bounds nearRight = box({-10, 1000, -1000}, {10, 1300, 20});  // columns 510..615
    EXPECT_TRUE(cellVisible(&nearRight, false));
}

TEST_F(WorldRender, OcclusionSamplesTwoShiftedGrids) {
    Bounds b = box({-10, -20, -400}, {10, 20, -350});  // columns 140..180, rows 110..130
    ASSERT_TRUE(cellVisible(&b, false));
    for (int y = 100; y < 140; ++y) {
        for (int x = 130; x < 190; ++x) FrameBuffer[y * 320 + x] = (100u << 16) | 0x1234;  // nearer
    }
    EXPECT_FALSE(cellUnoccluded(&b));
    FrameBuffer[111 * 320 + 141] = 350u << 16;  // between the grids: not sampled
    EXPECT_FALSE(cellUnoccluded(&b));
    FrameBuffer[113 * 320 + 143] = 350u << 16;  // second grid, at exactly the nearest depth
    EXPECT_TRUE(cellUnoccluded(&b));
    FrameBuffer[113 * 320 + 143] = 349u << 16;
    FrameBuffer[128 * 320 + 176] = 351u << 16;  // first grid, last row and column sampled
    EXPECT_TRUE(cellUnoccluded(&b));

    // A rectangle reaching off the screen is clamped and written back.
    Bounds big = box({-200, -200, -400}, {200, 200, -350});
    ASSERT_TRUE(cellVisible(&big, false));
    cellUnoccluded(&big);
    EXPECT_EQ(big.screenMinX, 0);
    EXPECT_EQ(big.screenMaxX, 319);
    EXPECT_EQ(big.screenMinY, 0);
    EXPECT_EQ(big.screenMaxY, 239);
}

TEST_F(WorldRender, HiddenCellBehindAWallIsSkipped) {
    std::vector<VertexSpec> v;
    std::vector<std::array<int, 3>> t;
    addSquare(v, t, -60, -60, 120, -300);  // the wall, covering the screen middle
    addSquare(v, t, -20, -20, 40, -900);   // a small square behind it
    SceneObject o = vxtest::makeObject(v, t, &texture);
    auto w = std::make_unique<World>();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 2), 0);
    ASSERT_EQ(w->cellCount, 2);
    renderWorld(w.get());
    EXPECT_EQ(worldStats.cellsVisible, 2);
    EXPECT_EQ(worldStats.cellsDrawn, 1);
    EXPECT_EQ(worldStats.cellsOccluded, 1);
    EXPECT_EQ(worldStats.facesSubmitted, 2);
    EXPECT_EQ(o.vertices[4].stamp, -1);  // the hidden square's vertices were never processed
    for (const WorldBucket& bucket : w->buckets) EXPECT_EQ(bucket.count, 0);

    // On a fresh buffer the far cell would be drawn.
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 8192u << 16);
    EXPECT_TRUE(cellUnoccluded(&w->cells[0].bounds));
}

TEST_F(WorldRender, TheBuildStampNeverMatchesFrame0xFFFF) {
    SceneObject o = centredSquare();
    auto w = std::make_unique<World>();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    renderContext.frameCounter = 0x2FFFF;  // low 16 bits: the build's -1
    renderContext.fillTriangle = countFill;
    renderWorld(w.get());
    EXPECT_EQ(o.vertices[0].depth, 350);  // projected, not the model z the build left there
    EXPECT_EQ(o.vertices[0].sx, 140);
    EXPECT_EQ(fillCount, 2);  // the near road's faces: pipeline_world_road_test
}

TEST_F(WorldRender, NearRoadSplitsWhatTheCellRoadDrops) {
    // A floor triangle from 30 units behind the eye to 600 in front: its near corner is out of the
    // vertex range, so renderWorld drops it, while renderWorldNear splits it at the near plane.
    std::vector<VertexSpec> v = {{-50, -40, 30}, {-50, 40, 30}, {-50, 0, -600}};
    SceneObject o = vxtest::makeObject(v, {{0, 1, 2}, {1, 0, 2}}, &texture);
    auto w = std::make_unique<World>();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    renderContext.fillTriangle = countFill;
    renderWorld(w.get());
    EXPECT_EQ(fillCount, 0);
    EXPECT_EQ(worldStats.facesSubmitted, 0);
    EXPECT_EQ(renderContext.fillTriangle, countFill);  // renderWorld leaves the slot alone

    ++renderContext.frameCounter;
    renderContext.fillTriangle = fillFlat;
    renderWorldNear(w.get());
    EXPECT_EQ(renderContext.fillTriangle, fillAffine);  // whatever was installed before
    EXPECT_EQ(worldStats.facesSubmitted, 2);
    EXPECT_NE(o.vertices[2].depth, 0);
}

// A vertex in the near zone is shared by a near face (split by the near road) and a long face
// whose centroid lies in a far cell (drawn by the cell road). The near road marks the vertex
// with depth 1 and gives it no screen position; the far face must not be drawn from the stale
// one, which would put a stray triangle at depth 1 over the screen.
TEST_F(WorldRender, NearZoneVerticesNeverReachTheCellRoad) {
    std::vector<VertexSpec> v = {{0, 0, -30}, {-40, 0, -300}, {0, 40, -300}, {-40, 80, -3000}, {40, 80, -3000}};
    SceneObject o = vxtest::makeObject(v, {{0, 1, 2}, {0, 3, 4}}, &texture);
    auto w = std::make_unique<World>();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 4), 0);
    ASSERT_NE(o.faces[0].cell, o.faces[1].cell);
    renderContext.frameCounter = 7;
    renderWorldNear(w.get());
    ASSERT_EQ(o.vertices[0].depth, 1);  // marked by the near road this frame
    int nearest = 8192;
    for (uint32_t cell : FrameBuffer) nearest = std::min(nearest, int(cell >> 16));
    EXPECT_GE(nearest, 64) << "a pixel nearer than any projected vertex";
    EXPECT_EQ(worldStats.facesSubmitted, 1);  // the near face only
}

// Stamps hold 16 bits of the frame counter: 65536 frames later a vertex not processed since
// must be processed again, not taken as done with its old screen position.
TEST_F(WorldRender, StampsFrom65536FramesAgoAreNotCurrent) {
    SceneObject o = centredSquare();
    auto w = std::make_unique<World>();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    renderContext.fillTriangle = countFill;
    renderContext.frameCounter = 0x10005;
    renderWorld(w.get());
    EXPECT_EQ(o.vertices[0].sx, 140);
    translateCurrent(0, 30, 0);  // the view moves; the vertex now lands 30 columns further
    renderContext.frameCounter = 0x20005;
    renderWorld(w.get());
    EXPECT_EQ(o.vertices[0].sx, 170);
    renderContext.frameCounter = 0x30005;
    renderWorldNear(w.get());
    EXPECT_EQ(o.vertices[0].sx, 170);
    EXPECT_EQ(o.vertices[0].stamp, 5);
}

TEST_F(WorldRender, LightsUseTheModelPosition) {
    std::vector<VertexSpec> v;
    std::vector<std::array<int, 3>> t;
    addSquare(v, t, -20, -20, 40, -350);
    for (VertexSpec& s : v) s.light = 3;
    SceneObject o = vxtest::makeObject(v, t, &texture);
    auto w = std::make_unique<World>();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    translateCurrent(0, 0, -1000);  // the view moves; lighting stays with the model
    setLight(&lightTable[0], 1, 9, 100);
    lightTable[0].x = -20;
    lightTable[0].y = -20;
    lightTable[0].z = -350;  // on the first vertex, in model space
    setLightCount(1);
    renderWorld(w.get());
    EXPECT_EQ(o.vertices[0].shade, 12);
    // 57 units away, no normal: the wrap light gives half of a = 9 - ((12 * 943) >> 12) = 7.
    EXPECT_EQ(o.vertices[2].shade, 6);
}

}  // namespace
