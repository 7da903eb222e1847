// SPDX-License-Identifier: MIT
// Immediate mode: defaults, triangles and quads, rotation precedence, indexed lists, drawMesh.
//
// A recording filler takes the place of the fillTriangle slot, so each test sees exactly which
// corners, texture coordinates and texture reach the filler. With the identity matrix and focal
// length 350, a vertex (x, y, -350) lands on column 160 + y, row 120 + x.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/mesh_builder.h"
#include "support/pipeline_recorder.h"

using namespace veloxia;

namespace {

using vxtest::fillCalls;

class Immediate : public ::testing::Test {
protected:
    void SetUp() override {
        initEngine(&renderContext);
        renderContext.fillTriangle = vxtest::recordFill;
        stackInit(&matrixStack, 4);
        immReset();
        fillCalls.clear();
    }
    void TearDown() override {
        stackFree(&matrixStack);
        resetFaceQueue(&faceQueue);
        setLightCount(0);
    }
    // A counter-clockwise triangle on the screen: rows 120, 150, 150 and columns 160, 160, 190.
    static void triangleABC() {
        immVertex(0, 0, -350);
        immVertex(30, 0, -350);
        immVertex(30, 30, -350);
    }
};

Texture makeTexture(int32_t width, int32_t height, int32_t drawMode) {
    Texture t{};
    t.width = width;
    t.height = height;
    t.drawMode = drawMode;
    t.backfaceCull = 0;
    return t;
}

// The rest of the defaults shows in what the untextured triangle and the quad hand the filler.
TEST_F(Immediate, ResetBuildsAWhiteCulledDefaultTexture) {
    const ImmediateState& s = immediateState;
    EXPECT_EQ(s.defaultTexture.backfaceCull, 1);
    for (uint16_t texel : s.defaultTexels) EXPECT_EQ(texel, makeColorIndex(255, 255, 255));
    for (const MeshFace* f : {&s.triangle, &s.quadFirst, &s.quadSecond}) EXPECT_EQ(f->texture, &s.defaultTexture);
}

TEST_F(Immediate, LevelsAndTextureCoordinatesAreLimited) {
    immLightLevel(0);
    EXPECT_EQ(immediateState.level, 1);
    immLightLevel(40);
    EXPECT_EQ(immediateState.level, 31);
    immLightLevel(0x10005);  // only the low 16 bits count
    EXPECT_EQ(immediateState.level, 5);
    immBegin(1);
    EXPECT_EQ(immediateState.level, 31);
    immTexCoord(0x12345, 0xFFFF);
    EXPECT_EQ(immediateState.texU, 0x2345);
    EXPECT_EQ(immediateState.texV, -1);
}

TEST_F(Immediate, UntexturedTriangleUsesTheWhiteDefault) {
    Texture t = makeTexture(64, 64, 0);
    immTexture(&t);  // ignored: texturing is off
    immTexCoord(512, 512);
    immLightLevel(20);  // before immBegin: reset to 31
    immBegin(1);
    triangleABC();
    ASSERT_EQ(fillCalls.size(), 1u);
    const vxtest::FillCall& f = fillCalls[0];
    EXPECT_EQ(f.texture, &immediateState.defaultTexture);
    EXPECT_EQ(f.value[0].sx, 160);
    EXPECT_EQ(f.value[0].sy, 120);
    EXPECT_EQ(f.value[2].sx, 190);
    EXPECT_EQ(f.value[2].sy, 150);
    EXPECT_EQ(f.value[0].depth, 350);
    EXPECT_EQ(f.value[0].shade, 31);
    EXPECT_EQ(f.u[1], 128);
    EXPECT_EQ(f.v[1], 0);
    EXPECT_EQ(f.u[2], 128);
    EXPECT_EQ(f.v[2], 128);
    triangleABC();  // the count starts again
    EXPECT_EQ(fillCalls.size(), 2u);
}

TEST_F(Immediate, TexturedQuadDrawsTwoTrianglesSharingCorners) {
    Texture t = makeTexture(64, 32, 0);
    immEnable(0);
    immTexture(&t);
    immBegin(2);
    immLightLevel(9);
    const int16_t uv[4][2] = {{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}};
    const int16_t xy[4][2] = {{0, 0}, {30, 0}, {30, 30}, {0, 30}};
    for (int k = 0; k < 4; ++k) {
        immTexCoord(uv[k][0], uv[k][1]);
        immVertex(xy[k][0], xy[k][1], -350);
        EXPECT_EQ(fillCalls.size(), k == 3 ? 2u : 0u);
    }
    ASSERT_EQ(fillCalls.size(), 2u);
    // (A, B, C): rows 120, 150, 150; u = 1024 * 64 >> 6, v = 1024 * 32 >> 6.
    EXPECT_EQ(fillCalls[0].texture, &t);
    EXPECT_EQ(fillCalls[0].u[1], 1024);
    EXPECT_EQ(fillCalls[0].v[2], 512);
    EXPECT_EQ(fillCalls[0].value[0].shade, 9);
    // (A, C, D) sorted by row: A (120), D (120), C (150).
    const vxtest::FillCall& s = fillCalls[1];
    EXPECT_EQ(s.value[0].sx, 160);
    EXPECT_EQ(s.value[1].sx, 190);
    EXPECT_EQ(s.value[1].sy, 120);
    EXPECT_EQ(s.value[2].sy, 150);
    EXPECT_EQ(s.u[0], 0);
    EXPECT_EQ(s.u[1], 0);     // D
    EXPECT_EQ(s.v[1], 512);
    EXPECT_EQ(s.u[2], 1024);  // C's coordinates, copied from the first face
    EXPECT_EQ(s.v[2], 512);

    immDisable(0);  // back to the default texture and coordinates
    EXPECT_EQ(immediateState.quadSecond.corner[1].u, 128);
    EXPECT_EQ(immediateState.quadFirst.texture, &immediateState.defaultTexture);
}

TEST_F(Immediate, VerticesOutsideBeginEndAreIgnored) {
    triangleABC();
    immBegin(1);
    immVertex(0, 0, -350);
    immEnd();  // drops the vertex given so far
    triangleABC();
    immBegin(3);  // not a primitive
    triangleABC();
    EXPECT_TRUE(fillCalls.empty());
}

TEST_F(Immediate, RotationTakesYThenXThenZ) {
    Mat34 expected;
    matIdentity(&expected);
    matRotateY(&expected, 100);
    immRotate(100, 1, 1, 0);
    EXPECT_EQ(*matrixStack.top, expected);
    immRotate(100, 1, 0, 1);
    matRotateX(&expected, 100);
    EXPECT_EQ(*matrixStack.top, expected);
    immRotate(100, 0, 0, 1);
    matRotateZ(&expected, 100);
    EXPECT_EQ(*matrixStack.top, expected);
    immRotate(100, 0x10000, 0x20000, 0x30000);  // all axes zero in their low 16 bits
    EXPECT_EQ(*matrixStack.top, expected);
}

TEST_F(Immediate, IndexedListsDrawWholeTrianglesOnly) {
    IndexedVertex v[4] = {};
    const int16_t xy[4][2] = {{0, 0}, {30, 0}, {30, 30}, {0, 30}};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xy[i][0];
        v[i].y = xy[i][1];
        v[i].z = -350;
        v[i].light = 12;
    }
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    immVertexArray(4, v);
    EXPECT_EQ(v[0].stamp, -1);  // frame 0: one frame back
    immDrawElements(2, indices);
    EXPECT_TRUE(fillCalls.empty());
    immDrawElements(5, indices);
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(fillCalls[0].value[0].shade, 12);
    EXPECT_EQ(v[2].projected.sx, 190);
    EXPECT_EQ(v[2].stamp, 0);

    // Processed once per frame: a vertex moved after its first use keeps its projection...
    v[0].x = 10;
    immDrawElements(6, indices);
    EXPECT_EQ(fillCalls.size(), 3u);
    EXPECT_EQ(fillCalls[1].value[0].sy, 120);
    // ...until the next frame.
    ++renderContext.frameCounter;
    immDrawElements(3, indices);
    EXPECT_EQ(fillCalls[3].value[0].sy, 130);
}

TEST_F(Immediate, IndexedCoordinatesFollowTheIndexPosition) {
    IndexedVertex v[3] = {};
    const int16_t xy[3][2] = {{0, 0}, {30, 0}, {30, 30}};
    for (int i = 0; i < 3; ++i) {
        v[i].x = xy[i][0];
        v[i].y = xy[i][1];
        v[i].z = -350;
    }
    const uint16_t indices[] = {0, 1, 2, 0, 1, 2};
    const int16_t coords[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    immVertexArray(3, v);
    immTexCoordArray(coords);
    immDrawElements(6, indices);
    ASSERT_EQ(fillCalls.size(), 2u);
    EXPECT_EQ(fillCalls[0].u[0], 1);
    EXPECT_EQ(fillCalls[0].v[2], 6);
    EXPECT_EQ(fillCalls[1].u[0], 7);  // same vertex, second index position
    EXPECT_EQ(fillCalls[1].v[2], 12);

    immVertexArray(0, nullptr);
    immDrawElements(6, indices);  // no vertex array: nothing
    EXPECT_EQ(fillCalls.size(), 2u);
}

TEST_F(Immediate, RejectedCornersDropOnlyTheirFaces) {
    // drawMesh goes on after a vertex out of the depth range; faces using it are skipped.
    Texture t = makeTexture(8, 8, 0);
    SceneObject o = vxtest::makeObject(
        {{0, 0, -350, 7}, {30, 0, -350, 7}, {30, 30, -350, 7}, {0, 30, -64, 7}, {0, 30, -8192, 7}},
        {{0, 2, 3}, {0, 1, 2}, {0, 2, 4}}, &t);
    MeshVertex* v = o.vertices.get();
    drawMesh(&renderContext, v, 5, o.faces.get(), 3);
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(fillCalls[0].value[1].sy, 150);
    EXPECT_EQ(v[3].depth, 0);
    EXPECT_EQ(v[3].vz, -64);
    EXPECT_EQ(v[4].depth, 0);
}

TEST_F(Immediate, BlendedFacesGoThroughTheQueue) {
    Texture t = makeTexture(8, 8, 2);
    immEnable(0);
    immTexture(&t);
    immBegin(2);
    immVertex(0, 0, -350);
    immVertex(30, 0, -350);
    immVertex(30, 30, -350);
    immVertex(0, 30, -350);
    EXPECT_TRUE(fillCalls.empty());
    EXPECT_EQ(faceQueue.itemCount, 2);
    EXPECT_EQ(faceQueue.storedFaceCount, 2);
    EXPECT_EQ(faceQueue.storedVertexCount, 6);  // copies: the corners are reused by the next quad
    immVertex(100, 100, -350);
    flushFaceQueue(&faceQueue);
    ASSERT_EQ(fillCalls.size(), 2u);
    EXPECT_EQ(fillCalls[0].value[0].sy, 120);
}

// The loop flushes only when the queue holds a face. A blended face that is not drawn (here
// culled as a back face) must not keep a store slot across passes, or after 1024 passes
// nothing blended would be drawn again.
TEST_F(Immediate, RejectedBlendedFacesNeverFillTheStore) {
    Texture t = makeTexture(8, 8, 2);
    t.backfaceCull = 1;
    immEnable(0);
    immTexture(&t);
    auto pass = [](bool front) {
        ++renderContext.frameCounter;
        immBegin(1);
        immVertex(0, 0, -350);
        if (front) {
            immVertex(30, 0, -350);
            immVertex(30, 30, -350);
        } else {
            immVertex(30, 30, -350);
            immVertex(30, 0, -350);
        }
        immEnd();
        if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
    };
    for (int n = 0; n < 2000; ++n) pass(false);
    EXPECT_TRUE(fillCalls.empty());
    EXPECT_EQ(faceQueue.storedFaceCount, 0);
    pass(true);
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(fillCalls[0].texture, &t);
}

TEST_F(Immediate, PointLightsRaiseTheShadeWhileCounted) {
    setLight(&lightTable[0], 1, 10, 100);
    lightTable[0].x = 0;
    lightTable[0].y = 0;
    lightTable[0].z = -350;  // in view space, at the first corner
    immBegin(1);
    immLightLevel(4);
    immNormal(0, 0, 32767);
    triangleABC();
    EXPECT_EQ(fillCalls.back().value[0].shade, 4);  // light count 0: no lights
    EXPECT_EQ(immediateState.corner0.nz, 0);  // and the normal is not copied
    setLightCount(1);
    triangleABC();
    EXPECT_EQ(immediateState.corner0.nz, 32767);
    EXPECT_EQ(fillCalls.back().value[0].shade, 14);  // within 32 units: the whole intensity
}

}  // namespace
