// SPDX-License-Identifier: MIT
// Face classification: back faces, column and row tests, and the corner order by row with its
// ties, seen through a recording fill function and through the queue's order codes.
#include <gtest/gtest.h>

#include "support/pipeline_recorder.h"

namespace {

using namespace veloxia;
using vxtest::fillCalls;

class Classify : public vxtest::PipelineFixture {
protected:

    // Draws a face with corners at the given screen positions and returns the corner order the
    // fill received (empty when nothing was drawn).
    std::vector<int> drawn(int xa, int ya, int xb, int yb, int xc, int yc, Texture* texture = nullptr) {
        MeshVertex a = vxtest::screenVertex(xa, ya), b = vxtest::screenVertex(xb, yb), c = vxtest::screenVertex(xc, yc);
        MeshFace f = vxtest::makeFace(&a, &b, &c, texture ? texture : &opaque);
        fillCalls.clear();
        drawFaceNow(&renderContext, &f);
        if (fillCalls.empty()) return {};
        EXPECT_EQ(fillCalls.size(), 1u);
        return vxtest::cornerOrder(fillCalls[0], f);
    }

    // The order code queueFace stores for the same face (0 when it is not queued).
    int32_t queuedOrder(int xa, int ya, int xb, int yb, int xc, int yc) {
        MeshVertex a = vxtest::screenVertex(xa, ya), b = vxtest::screenVertex(xb, yb), c = vxtest::screenVertex(xc, yc);
        MeshFace f = vxtest::makeFace(&a, &b, &c, &blended);
        resetFaceQueue(&faceQueue);
        queueFace(&renderContext, &f);
        const int32_t order = faceQueue.itemCount == 1 ? faceQueue.items[0].order : 0;
        resetFaceQueue(&faceQueue);
        return order;
    }
};

using Order = std::vector<int>;
constexpr int A = 0, B = 1, C = 2;

TEST_F(Classify, EveryRowOfTheDecisionTableWithItsTies) {
    // ya <= yb <= yc: a, b, c
    EXPECT_EQ(drawn(10, 10, 20, 20, 30, 30), (Order{A, B, C}));
    EXPECT_EQ(drawn(10, 10, 20, 10, 30, 30), (Order{A, B, C}));  // ya == yb keeps a before b
    EXPECT_EQ(drawn(10, 10, 20, 30, 30, 30), (Order{A, B, C}));  // yb == yc, a above: b before c
    // ya <= yb, yb > yc >= ya: a, c, b
    EXPECT_EQ(drawn(10, 10, 20, 30, 30, 20), (Order{A, C, B}));
    EXPECT_EQ(drawn(10, 10, 20, 30, 30, 10), (Order{A, C, B}));  // ya == yc keeps a before c
    // ya <= yb, yc < ya: c, a, b
    EXPECT_EQ(drawn(10, 20, 20, 30, 30, 10), (Order{C, A, B}));
    EXPECT_EQ(drawn(10, 20, 20, 20, 30, 10), (Order{C, A, B}));  // ya == yb keeps a before b
    // ya > yb, yc >= ya: b, a, c
    EXPECT_EQ(drawn(10, 20, 20, 10, 30, 30), (Order{B, A, C}));
    EXPECT_EQ(drawn(10, 20, 20, 10, 30, 20), (Order{B, A, C}));  // ya == yc keeps a before c
    // ya > yb >= yc: c, b, a
    EXPECT_EQ(drawn(10, 30, 20, 20, 30, 10), (Order{C, B, A}));
    EXPECT_EQ(drawn(10, 30, 20, 20, 30, 20), (Order{C, B, A}));  // yb == yc, a below: c before b
    // ya > yc > yb: b, c, a
    EXPECT_EQ(drawn(10, 30, 20, 10, 30, 20), (Order{B, C, A}));
}

TEST_F(Classify, QueuedFacesCarryTheOrderCodeOfTheirRow) {
    EXPECT_EQ(queuedOrder(10, 10, 20, 20, 30, 30), 0x210);
    EXPECT_EQ(queuedOrder(10, 10, 20, 30, 30, 20), 0x120);
    EXPECT_EQ(queuedOrder(10, 20, 20, 30, 30, 10), 0x102);
    EXPECT_EQ(queuedOrder(10, 20, 20, 10, 30, 30), 0x201);
    EXPECT_EQ(queuedOrder(10, 30, 20, 20, 30, 20), 0x012);
    EXPECT_EQ(queuedOrder(10, 30, 20, 10, 30, 20), 0x021);
    EXPECT_EQ(queuedOrder(10, 10, 20, 10, 30, 10), 0);  // zero height is not queued
}

TEST_F(Classify, TheFillReceivesEachCornersOwnTextureCoordinates) {
    MeshVertex a = vxtest::screenVertex(10, 30), b = vxtest::screenVertex(20, 10), c = vxtest::screenVertex(30, 20);
    MeshFace f = vxtest::makeFace(&a, &b, &c, &opaque);
    f.corner[2].u = -32768;  // sign-extended on the way to the fill
    drawFaceNow(&renderContext, &f);
    ASSERT_EQ(fillCalls.size(), 1u);
    const vxtest::FillCall& call = fillCalls[0];  // b, c, a
    EXPECT_EQ(call.u[0], 48);
    EXPECT_EQ(call.v[0], 64);
    EXPECT_EQ(call.u[1], -32768);
    EXPECT_EQ(call.v[1], 96);
    EXPECT_EQ(call.u[2], 16);
    EXPECT_EQ(call.v[2], 32);
    EXPECT_EQ(call.texture, &opaque);
}

TEST_F(Classify, ZeroHeightIsNeverDrawn) {
    EXPECT_TRUE(drawn(0, 10, 5, 10, 3, 10).empty());
    EXPECT_TRUE(drawn(0, 10, 5, 10, 3, 10, &blended).empty());
}

TEST_F(Classify, BackFaceRule) {
    // Without culling both windings are drawn.
    EXPECT_EQ(drawn(0, 10, 5, 10, 3, 20), (Order{A, B, C}));
    EXPECT_EQ(drawn(0, 10, 3, 20, 5, 10), (Order{A, C, B}));
    EXPECT_TRUE(drawn(0, 10, 5, 10, 3, 20, &culled).empty());  // clockwise on the screen
    EXPECT_EQ(drawn(0, 10, 3, 20, 5, 10, &culled), (Order{A, C, B}));
    // Zero area: drawn without culling when it has height, culled with it.
    EXPECT_EQ(drawn(0, 0, 10, 10, 20, 20), (Order{A, B, C}));
    EXPECT_TRUE(drawn(0, 0, 10, 10, 20, 20, &culled).empty());
}

TEST_F(Classify, BackFaceProductsWrapInThirtyTwoBits) {
    // A clockwise face: (xb - xa)(yc - ya) = 65534 * 65534 wraps to -262140, below
    // (yb - ya)(xc - xa) = 32767 * 32767, so the face passes as the wrapped products say.
    EXPECT_EQ(drawn(-32767, -32767, 32767, 0, 0, 32767, &culled), (Order{A, B, C}));
}

TEST_F(Classify, ColumnTest) {
    EXPECT_TRUE(drawn(-30, 0, -1, 50, -10, 100).empty());
    EXPECT_TRUE(drawn(320, 0, 400, 50, 330, 100).empty());
    EXPECT_EQ(drawn(-30, 0, 0, 50, -10, 100), (Order{A, B, C}));    // largest x on column 0
    EXPECT_EQ(drawn(319, 0, 400, 50, 330, 100), (Order{A, B, C}));  // smallest x on column 319
}

TEST_F(Classify, RowTest) {
    EXPECT_TRUE(drawn(0, 240, 10, 250, 20, 260).empty());  // top row 240
    EXPECT_EQ(drawn(0, 239, 10, 250, 20, 260), (Order{A, B, C}));
    EXPECT_EQ(drawn(0, -5, 10, 0, 20, -2), (Order{A, C, B}));  // bottom row 0, top -5
    EXPECT_TRUE(drawn(0, -5, 10, -1, 20, -2).empty());         // bottom row -1
}

}  // namespace
