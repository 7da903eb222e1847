// SPDX-License-Identifier: MIT
// The object road: projections, the depth range, shading, and which faces reach the face paths.
#include <gtest/gtest.h>

#include <random>

#include "support/pipeline_recorder.h"

namespace {

using namespace veloxia;
using vxtest::fillCalls;
using vxtest::shadeCalls;

// A face of objectOf: three vertex indices and the texture.
struct FaceOf {
    int a, b, c;
    Texture* texture;
};

// A scene object made of the given vertices (model = view with the identity matrix) and faces.
SceneObject objectOf(const std::vector<MeshVertex>& vertices, const std::vector<FaceOf>& faces = {}) {
    SceneObject obj{};
    obj.vertexCount = int32_t(vertices.size());
    obj.vertices = std::make_unique<MeshVertex[]>(vertices.size());
    std::copy(vertices.begin(), vertices.end(), obj.vertices.get());
    obj.faceCount = int32_t(faces.size());
    obj.faces = std::make_unique<MeshFace[]>(faces.size());
    MeshVertex* v = obj.vertices.get();
    for (size_t i = 0; i < faces.size(); ++i)
        obj.faces[i] = vxtest::makeFace(&v[faces[i].a], &v[faces[i].b], &v[faces[i].c], faces[i].texture);
    return obj;
}

class ObjectRoad : public vxtest::PipelineFixture {};

TEST_F(ObjectRoad, ProjectionShiftsRoundTowardMinusInfinityAndResultsKeepSixteenBits) {
    const int16_t view[3] = {-1, -3, -700};  // scale 32768: -0.5 -> -1, -1.5 -> -2
    ProjectedVertex out{};
    projectPortrait(view, &out);
    EXPECT_EQ(out.sx, 158);
    EXPECT_EQ(out.sy, 119);
    const int16_t far[3] = {0, 0, -32768};  // depth 32768 keeps 16 bits: -32768
    EXPECT_EQ(projectPortrait(far, &out), -32768);
    EXPECT_EQ(out.depth, -32768);
    const int16_t wide[3] = {30000, -30000, -65};  // products beyond 32 bits wrap (UBSan watches)
    projectLandscape(wide, &out);
    EXPECT_EQ(out.depth, 65);
}

TEST_F(ObjectRoad, DepthsOutsideTheTableStayInsideIt) {
    ProjectedVertex out{};
    const int16_t pastEnd[3] = {8703, 0, -8704};  // projected as at depth 8703
    projectPortrait(pastEnd, &out);
    EXPECT_EQ(out.sy, 120 + ((8703 * ProjectionLut[8703]) >> 16));
    EXPECT_EQ(out.depth, 8704);
    const int16_t behind[3] = {500, 500, 100};  // entry 0: the centre
    EXPECT_EQ(projectLandscape(behind, &out), -100);
    EXPECT_EQ(out.sx, 160);
    EXPECT_EQ(out.sy, 120);
}

TEST_F(ObjectRoad, DepthRangeOfTheObjectRoad) {
    SceneObject obj = objectOf({vxtest::modelVertex(10, 20, -65), vxtest::modelVertex(10, 20, -64),
                                vxtest::modelVertex(0, 0, -8191), vxtest::modelVertex(0, 0, -8192),
                                vxtest::modelVertex(0, 0, 200)});
    for (int i = 0; i < obj.vertexCount; ++i) obj.vertices[i].vx = obj.vertices[i].vy = 777;
    transformObject(&renderContext, &obj);
    const MeshVertex* v = obj.vertices.get();
    EXPECT_EQ(v[0].depth, 65);
    EXPECT_EQ(v[0].sx, 160 + ((20 * ProjectionLut[65]) >> 16));
    EXPECT_EQ(v[0].sy, 120 + ((10 * ProjectionLut[65]) >> 16));
    EXPECT_EQ(v[1].depth, 0);
    EXPECT_EQ(v[2].depth, 8191);
    EXPECT_EQ(v[3].depth, 0);
    EXPECT_EQ(v[4].depth, 0);
    // A rejected vertex keeps its view z but its x and y are not computed.
    EXPECT_EQ(v[1].vz, -64);
    EXPECT_EQ(v[1].vx, 777);
    EXPECT_EQ(v[0].vx, 10);
    // Only projected vertices are shaded, with (depth, light).
    ASSERT_EQ(shadeCalls.size(), 2u);
    EXPECT_EQ(shadeCalls[0].depth, 65);
    EXPECT_EQ(shadeCalls[0].level, 20);
    EXPECT_EQ(v[0].shade, (65 + 20) % 31 + 1);
}

TEST_F(ObjectRoad, TheDefaultShadeClampsEveryLevelLikeItsSlot) {
    // The road applies shadeClamp without calling it; every level, in range or not, must come
    // out as the function gives it.
    const int levels[] = {-32768, -1, 0, 1, 2, 17, 30, 31, 32, 33, 32767};
    std::vector<MeshVertex> vertices;
    for (int level : levels) vertices.push_back(vxtest::modelVertex(10, 20, -350, level));
    SceneObject obj = objectOf(vertices);
    renderContext.shade = shadeClamp;
    transformObject(&renderContext, &obj);
    for (int i = 0; i < obj.vertexCount; ++i)
        EXPECT_EQ(obj.vertices[i].shade, shadeClamp(350, levels[i])) << "level " << levels[i];
}

TEST_F(ObjectRoad, TheTransformMatchesTheMatrixOperations) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(-32768, 32767), near(-3000, 3000);
    std::vector<MeshVertex> vertices;
    for (int i = 0; i < 500; ++i) vertices.push_back(vxtest::modelVertex(near(random), near(random), near(random)));
    for (int round = 0; round < 20; ++round) {
        for (int16_t& e : matrix) e = int16_t(any(random));
        matrix[11] = int16_t(-4000 + near(random));
        SceneObject obj = objectOf(vertices);
        transformObject(&renderContext, &obj);
        for (int i = 0; i < obj.vertexCount; ++i) {
            const MeshVertex& v = obj.vertices[i];
            const Vec3 model{v.x, v.y, v.z};
            Vec3 view{};
            matTransformPoint(&matrix, &model, &view);
            ASSERT_EQ(v.vz, view.z);
            if (v.depth == 0) continue;
            ASSERT_EQ(v.vx, view.x);
            ASSERT_EQ(v.vy, view.y);
            ProjectedVertex expected{};
            const int16_t position[3] = {view.x, view.y, view.z};
            projectPortrait(position, &expected);
            ASSERT_EQ(v.sx, expected.sx);
            ASSERT_EQ(v.sy, expected.sy);
        }
    }
}

TEST_F(ObjectRoad, TheTransformWrapsLikeTheMatrixOperationsAtTheExtremes) {
    // Entries and coordinates at the ends of the 16-bit range: products of -32768 by -32768,
    // sums of two such that overflow 32 bits, any light level beside the coordinates. The z
    // translation puts most vertices in the depth range, so that x and y are checked too.
    std::mt19937 random(11);
    const int16_t ends[] = {-32768, -32767, -16384, -1, 0, 1, 2, 16384, 32766, 32767};
    std::uniform_int_distribution<size_t> pick(0, std::size(ends) - 1);
    std::uniform_int_distribution<int> any(-32768, 32767), depth(-9000, -30);
    int projected = 0;
    for (int round = 0; round < 4000; ++round) {
        for (int16_t& e : matrix) e = ends[pick(random)];
        MeshVertex v = vxtest::modelVertex(ends[pick(random)], ends[pick(random)], ends[pick(random)], any(random));
        if (round % 4 == 0) v.x = v.y = v.z = -32768;
        const Vec3 model{v.x, v.y, v.z};
        Vec3 view{};
        matrix[11] = 0;
        matTransformPoint(&matrix, &model, &view);
        matrix[11] = int16_t(depth(random) - view.z);
        matTransformPoint(&matrix, &model, &view);
        SceneObject obj = objectOf({v});
        transformObject(&renderContext, &obj);
        const MeshVertex& out = obj.vertices[0];
        ASSERT_EQ(out.vz, view.z) << "round " << round;
        if (out.depth == 0) continue;
        ++projected;
        ASSERT_EQ(out.vx, view.x) << "round " << round;
        ASSERT_EQ(out.vy, view.y) << "round " << round;
    }
    EXPECT_GT(projected, 3000);
}

TEST_F(ObjectRoad, EveryProjectSlotIsHonoured) {
    SceneObject obj = objectOf({vxtest::modelVertex(10, 20, -350)});
    renderContext.project = projectLandscape;
    transformObject(&renderContext, &obj);
    EXPECT_EQ(obj.vertices[0].sx, 170);
    EXPECT_EQ(obj.vertices[0].sy, 100);
    renderContext.project = vxtest::countingProject;
    transformObject(&renderContext, &obj);
    EXPECT_EQ(vxtest::projectCalls, 1);
    EXPECT_EQ(obj.vertices[0].sx, 180);
}

TEST_F(ObjectRoad, ProjectVertexDoesNotShade) {
    MeshVertex v = vxtest::modelVertex(10, 20, -350);
    EXPECT_EQ(projectVertex(&renderContext, &v), 350);
    EXPECT_EQ(v.sx, 180);
    EXPECT_TRUE(shadeCalls.empty());
    MeshVertex rejected = vxtest::modelVertex(0, 0, -64);
    rejected.depth = 99;
    EXPECT_EQ(projectVertex(&renderContext, &rejected), 0);
    EXPECT_EQ(rejected.depth, 0);
}

TEST_F(ObjectRoad, FacesWithARejectedCornerAreSkipped) {
    // Two faces on screen sharing b; d lies behind the eye.
    SceneObject obj = objectOf({vxtest::modelVertex(0, 0, -350), vxtest::modelVertex(0, 50, -350),
                                vxtest::modelVertex(50, 0, -350), vxtest::modelVertex(50, 50, 100)},
                               {{0, 1, 2, &opaque}, {1, 2, 3, &opaque}});
    renderObject(&renderContext, &obj);
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(vxtest::cornerOrder(fillCalls[0], obj.faces[0]), (std::vector<int>{0, 1, 2}));
}

TEST_F(ObjectRoad, BlendedFacesWaitForTheFlush) {
    SceneObject obj = objectOf({vxtest::modelVertex(0, 0, -350), vxtest::modelVertex(0, 50, -350),
                                vxtest::modelVertex(50, 0, -350)},
                               {{0, 1, 2, &blended}, {0, 1, 2, &opaque}});
    renderObject(&renderContext, &obj);
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(fillCalls[0].texture, &opaque);
    EXPECT_EQ(faceQueue.itemCount, 1);
    EXPECT_EQ(faceQueue.items[0].order, 0x210);
    flushFaceQueue(&faceQueue);
    ASSERT_EQ(fillCalls.size(), 2u);
    EXPECT_EQ(fillCalls[1].texture, &blended);
}

// A facing light 300 units along view x from a vertex at (0, 0, -350) whose normal, model +z,
// the current matrix turns to view +x: only the turned normal faces the light.
class Lit : public ObjectRoad {
protected:
    void SetUp() override {
        matTranslate(&matrix, 0, 0, -350);
        matRotateY(&matrix, 512);
        lightTable[0] = {};
        setLight(&lightTable[0], 2, 1000, 2000);
        lightTable[0].x = 300;
        lightTable[0].z = -350;
        setLightCount(1);
    }
    MeshVertex vertex() const {
        MeshVertex v = vxtest::modelVertex(0, 0, 0, 5);
        v.nz = 32767;
        return v;
    }
    static int32_t sumFor(int16_t nx, int16_t ny, int16_t nz) {
        const int16_t position[3] = {0, 0, -350}, normal[3] = {nx, ny, nz};
        return lightSum(position, normal);
    }
};

TEST_F(Lit, TheObjectRoadAddsTheLightsWithTheNormalTurned) {
    ASSERT_GT(sumFor(32767, 0, 0), sumFor(0, 0, 32767));
    SceneObject obj = objectOf({vertex()});
    transformObject(&renderContext, &obj);
    ASSERT_EQ(shadeCalls.size(), 1u);
    EXPECT_EQ(shadeCalls[0].level, 5 + sumFor(32767, 0, 0));
    setLightCount(0);
    transformObject(&renderContext, &obj);
    EXPECT_EQ(shadeCalls[1].level, 5);
}

TEST_F(Lit, TheWorldRoadAddsTheLightsWithTheNormalAsStored) {
    MeshVertex v[3] = {vertex(), vertex(), vertex()};
    v[1].x = 10;
    v[2].y = 10;
    for (MeshVertex& corner : v) corner.stamp = -1;
    MeshFace f = vxtest::makeFace(&v[0], &v[1], &v[2], &opaque);
    renderFaceClipped(&renderContext, &f);
    ASSERT_EQ(shadeCalls.size(), 3u);
    EXPECT_EQ(shadeCalls[0].level, 5 + sumFor(0, 0, 32767));
}

TEST_F(ObjectRoad, AnEmptyObjectDrawsNothing) {
    SceneObject empty{};
    renderObject(&renderContext, &empty);
    SceneObject noFaces = objectOf({vxtest::modelVertex(0, 0, -350)});
    renderObject(&renderContext, &noFaces);
    EXPECT_TRUE(fillCalls.empty());
    EXPECT_EQ(faceQueue.itemCount, 0);
}

}  // namespace
