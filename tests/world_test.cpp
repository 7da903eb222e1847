// SPDX-License-Identifier: MIT
// World build: grid steps, centroid assignment, tight cell boxes, the cell limit and freeing.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "support/mesh_builder.h"

using namespace veloxia;
using vxtest::VertexSpec;

namespace {

struct Triangles {
    std::vector<VertexSpec> vertices;
    std::vector<std::array<int, 3>> triangles;
    void around(int16_t x, int16_t y, int16_t z) { vxtest::addTriangleAround(vertices, triangles, x, y, z); }
    SceneObject object() const { return vxtest::makeObject(vertices, triangles); }
};

std::unique_ptr<World> newWorld() { return std::make_unique<World>(); }
std::array<int, 3> xyz(const Vec3& v) { return {v.x, v.y, v.z}; }

TEST(WorldBuild, GridStepsCoverTheWorldBox) {
    // Centroids at x = 0, 33, 34, 67, 68 and 99 in a world 102 units wide (vertices -1..101):
    // stepX = 102 / 3 + 1 = 35, boxes from x = -1, 34 and 69.
    Triangles t;
    for (int16_t x : {0, 33, 34, 67, 68, 99}) t.around(x, 0, 0);
    SceneObject o = t.object();
    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 3, 1, 1), 0);
    EXPECT_EQ(w->boxMin.x, -1);
    EXPECT_EQ(w->boxMax.x, 101);
    ASSERT_EQ(w->cellCount, 3);
    const int expected[] = {0, 0, 1, 1, 1, 2};  // 68 < 69 stays in the middle box
    for (int i = 0; i < 6; ++i) EXPECT_EQ(o.faces[i].cell, expected[i]) << i;
    EXPECT_EQ((std::array{w->cells[0].faceCount, w->cells[1].faceCount, w->cells[2].faceCount}),
              (std::array<int32_t, 3>{2, 3, 1}));
    EXPECT_EQ(w->cells[1].faces[0], &o.faces[2]);  // faces in object order
    EXPECT_EQ(w->cells[1].faces[2], &o.faces[4]);
}

// The grid box after the last one that starts inside the world ends past 32767; kept to 16
// bits it would wrap to a negative end and its faces would find no cell.
TEST(WorldBuild, WorldsReachingTheEndsOfTheSixteenBitRangeBuildEveryFace) {
    Triangles edge;
    edge.around(32765, 0, 0);  // vertices up to x = 32767
    SceneObject o = edge.object();
    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    EXPECT_EQ(w->boxMax.x, 32767);
    ASSERT_EQ(w->cellCount, 1);
    EXPECT_EQ(o.faces[0].cell, 0);

    Triangles whole;
    whole.around(-32767, -32767, -32767);
    whole.around(0, 0, 0);
    whole.around(32765, 32765, 32765);
    SceneObject everywhere = whole.object();
    auto all = newWorld();
    ASSERT_EQ(buildWorld(all.get(), &everywhere, 1, 3, 3, 3), 0);
    EXPECT_EQ(all->cellCount, 3);
    for (int i = 0; i < 3; ++i) EXPECT_NE(everywhere.faces[i].cell, -1) << i;
    EXPECT_EQ(all->cells[2].bounds.corners[7].x, 32767);
}

TEST(WorldBuild, OnePointWorldMakesOneCell) {
    SceneObject o = vxtest::makeObject({{5, 5, 5}, {5, 5, 5}, {5, 5, 5}}, {{0, 1, 2}, {2, 1, 0}});
    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 7, 7, 7), 0);
    ASSERT_EQ(w->cellCount, 1);
    EXPECT_EQ(w->cells[0].faceCount, 2);
    const Bounds& b = w->cells[0].bounds;
    for (const Vec3& c : b.corners) EXPECT_EQ(c.x + c.y + c.z, 15);
}

TEST(WorldBuild, CentroidTruncatesTowardZeroAndBoxesAreHalfOpen) {
    // x = -1, -1, 0 sums to -2: the centroid is 0 (not -1).
    SceneObject o = vxtest::makeObject({{-1, 0, 0}, {-1, 3, 0}, {0, 0, 3}}, {{0, 1, 2}});
    // The build works on the positions it copies into sx, sy, depth.
    for (int i = 0; i < 3; ++i) {
        MeshVertex& v = o.vertices[i];
        v.sx = v.x;
        v.sy = v.y;
        v.depth = v.z;
    }
    const Vec3 lowMin{-5, 0, 0}, lowMax{0, 10, 10};   // x in -5..-1
    const Vec3 highMin{0, 0, 0}, highMax{5, 10, 10};  // x in 0..4
    EXPECT_FALSE(centroidInBox(&o.faces[0], &lowMin, &lowMax));
    EXPECT_TRUE(centroidInBox(&o.faces[0], &highMin, &highMax));
    // The centroid (0, 1, 1) on the lower faces of a box is inside (above); on an upper face it is not.
    const Vec3 belowMin{-5, -5, -5}, belowMax{1, 1, 2};
    EXPECT_FALSE(centroidInBox(&o.faces[0], &belowMin, &belowMax));
}

TEST(WorldBuild, CellBoxIsTightAndMayLeaveItsGridBox) {
    // One long triangle whose centroid lies in the first of two boxes, and a small one in the second.
    Triangles t;
    t.vertices = {{0, 0, 0}, {90, 0, 0}, {0, 9, -4}};
    t.triangles = {{0, 1, 2}};
    t.around(80, 3, 0);
    SceneObject o = t.object();
    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 2, 1, 1), 0);  // stepX 46: boxes from 0 and 46
    ASSERT_EQ(w->cellCount, 2);
    const Bounds& b = w->cells[0].bounds;
    // Corner k: x from max when k & 1, z when k & 2, y when k & 4.
    EXPECT_EQ(b.corners[0].x, 0);
    EXPECT_EQ(b.corners[1].x, 90);  // reaches into the second box
    EXPECT_EQ(b.corners[2].z, 0);
    EXPECT_EQ(b.corners[0].z, -4);
    EXPECT_EQ(b.corners[4].y, 9);
    EXPECT_EQ(b.corners[7].x, 90);
    EXPECT_EQ(b.centre.x, 45);
    EXPECT_EQ(b.centre.z, -2);
}

TEST(WorldBuild, BoundsCentreShiftsArithmetically) {
    Bounds b{};
    const Vec3 lo{-3, -32767, 7}, hi{0, 32767, 8};
    setBoundsCorners(&b, &lo, &hi);
    EXPECT_EQ(xyz(b.centre), (std::array{-2, 0, 7}));  // -3 >> 1 is -2
    EXPECT_EQ(xyz(b.corners[6]), (std::array{-3, 32767, 8}));
}

TEST(WorldBuild, ResetReloadsPositionsAndStamps) {
    Triangles t;
    t.around(10, 20, 30);
    SceneObject o = t.object();
    SceneObject outside = t.object();
    outside.worldMember = 0;
    o.vertices[0].sx = 999;
    o.vertices[0].stamp = 5;
    outside.faces[0].cell = 7;
    SceneObject objects[2] = {std::move(outside), std::move(o)};
    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), objects, 2, 1, 1, 1), 0);
    const MeshVertex& v = objects[1].vertices[0];
    EXPECT_EQ((std::array{v.sx, v.sy, v.depth, v.stamp}), (std::array<int16_t, 4>{9, 19, 30, -1}));
    EXPECT_EQ(objects[0].faces[0].cell, 7);  // not a world member: untouched
    EXPECT_EQ(w->cellCount, 1);
    EXPECT_EQ(w->nodeCount, 0);
}

TEST(WorldBuild, EmptyWorldAndBadDivisions) {
    auto w = newWorld();
    EXPECT_EQ(buildWorld(w.get(), nullptr, 0, 4, 4, 4), 0);
    EXPECT_EQ(w->cellCount, 0);
    EXPECT_GT(w->boxMin.x, w->boxMax.x);

    Triangles t;
    t.around(0, 0, 0);
    SceneObject o = t.object();
    EXPECT_EQ(buildWorld(w.get(), &o, 1, 0, 1, 1), 2);
    EXPECT_EQ(buildWorld(w.get(), &o, 1, 1, -2, 1), 2);
    EXPECT_EQ(w->objects, nullptr);  // rejected before anything changed
}

TEST(WorldBuild, The1025thCellFails) {
    // 1025 faces 10 units apart along x, each alone in its box (x spans -1..10242, so
    // stepX = 10243 / 1025 + 1 = 10 and box i starts at 10 i - 1).
    Triangles t;
    for (int i = 0; i < 1025; ++i) t.around(int16_t(10 * i), 0, 0);
    SceneObject o = t.object();
    auto w = newWorld();
    EXPECT_EQ(buildWorld(w.get(), &o, 1, 1025, 1, 1), 2);
    EXPECT_EQ(w->cellCount, kMaxWorldCells);
    EXPECT_EQ(o.faces[1023].cell, 1023);
    EXPECT_EQ(o.faces[1024].cell, 1024);  // the failing box keeps its mark

    // With one box fewer along x (two faces share the last box) the same world builds.
    auto w2 = newWorld();
    EXPECT_EQ(buildWorld(w2.get(), &o, 1, 1024, 1, 1), 0);
    EXPECT_LE(w2->cellCount, kMaxWorldCells);
}

TEST(WorldBuild, AddWorldCellWithNoFaceMakesNoCell) {
    Triangles t;
    t.around(0, 0, 0);
    SceneObject o = t.object();
    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    Vec3 lo{100, 100, 100}, hi{200, 200, 200};
    EXPECT_EQ(addWorldCell(w.get(), &lo, &hi), 1);
    EXPECT_EQ(w->cellCount, 1);
    EXPECT_EQ(lo.x, 100);  // untouched when no cell is made
}

TEST(WorldBuild, ObjectBoundsAndFree) {
    SceneObject o = vxtest::makeObject({{3, -4, 5}, {-6, 7, 1}, {2, 2, 9}}, {{0, 1, 2}});
    Vec3 lo, hi;
    objectBox(&o, &lo, &hi);
    EXPECT_EQ(xyz(lo), (std::array{-6, -4, 1}));
    EXPECT_EQ(xyz(hi), (std::array{3, 7, 9}));
    buildObjectBounds(&o);
    EXPECT_EQ(o.bounds.corners[3].x, 3);
    EXPECT_EQ(o.bounds.corners[3].z, 9);
    EXPECT_EQ(o.bounds.centre.y, 1);

    auto w = newWorld();
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);
    freeWorld(w.get());
    EXPECT_EQ(w->cells[0].faces, nullptr);
    EXPECT_EQ(w->cellCount, 0);
    ASSERT_EQ(buildWorld(w.get(), &o, 1, 1, 1, 1), 0);  // and builds again
    EXPECT_EQ(w->cellCount, 1);
}

}  // namespace
