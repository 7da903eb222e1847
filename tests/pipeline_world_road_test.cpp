// SPDX-License-Identifier: MIT
// The world road: frame stamps, the near zone, the -214 rule and near-plane subdivision into
// drawn, dropped and recursed pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "support/pipeline_recorder.h"

namespace {

using namespace veloxia;
using vxtest::fillCalls;
using vxtest::shadeCalls;

// Three world vertices around the view axis, fresh from the world build (stamp -1): a and b
// across the top of the screen, c below them. Model positions are view positions.
class WorldRoad : public vxtest::PipelineFixture {
protected:
    std::array<MeshVertex, 3> v;
    MeshFace face{};

    void place(int za, int zb, int zc, Texture* texture = nullptr) {
        v = {vxtest::modelVertex(-40, -40, za, 10), vxtest::modelVertex(-40, 40, zb, 20),
             vxtest::modelVertex(40, 0, zc, 30)};
        for (MeshVertex& vertex : v) vertex.stamp = -1;
        face = vxtest::makeFace(&v[0], &v[1], &v[2], texture ? texture : &opaque);
    }

    // The depths of the corners of each fill call, sorted, to name pieces whatever their row order.
    static std::vector<std::array<int, 3>> drawnDepths() {
        std::vector<std::array<int, 3>> pieces;
        for (const vxtest::FillCall& call : fillCalls) {
            std::array<int, 3> d = {call.value[0].depth, call.value[1].depth, call.value[2].depth};
            std::sort(d.begin(), d.end());
            pieces.push_back(d);
        }
        return pieces;
    }
};

using Pieces = std::vector<std::array<int, 3>>;

// The corner of a fill call at the given depth (a midpoint, in these tests).
const ProjectedVertex& cornerAtDepth(const vxtest::FillCall& call, int depth) {
    for (const ProjectedVertex& corner : call.value)
        if (corner.depth == depth) return corner;
    ADD_FAILURE() << "no corner at depth " << depth;
    return call.value[0];
}

TEST_F(WorldRoad, ViewZMinus64IsProjectedHere) {
    place(-64, -300, -300);
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(v[0].depth, 64);
    EXPECT_EQ(drawnDepths(), (Pieces{{64, 300, 300}}));
}

TEST_F(WorldRoad, DepthLimits) {
    place(-8191, -8191, -8191);
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(v[2].depth, 8191);
    EXPECT_EQ(fillCalls.size(), 1u);

    place(-8192, -500, -500);
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(v[0].depth, 0);
    EXPECT_EQ(fillCalls.size(), 1u);
}

TEST_F(WorldRoad, ViewZ336DropsTheFaceAndLeavesTheLaterCornersAlone) {
    place(-500, 336, -500);
    v[2].depth = 1234;
    renderFaceClipped(&renderContext, &face);
    EXPECT_TRUE(fillCalls.empty());
    EXPECT_EQ(v[0].stamp, 1);
    EXPECT_EQ(v[1].stamp, 1);
    EXPECT_EQ(v[1].depth, 0);
    EXPECT_EQ(v[2].stamp, -1);
    EXPECT_EQ(v[2].depth, 1234);
    EXPECT_EQ(shadeCalls.size(), 1u);
}

TEST_F(WorldRoad, ViewZ335IsANearZoneCorner) {
    place(-1000, -1000, 335);
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(v[2].depth, 1);
    EXPECT_EQ(v[2].vx, 40);  // view x and y are still computed
    ASSERT_EQ(shadeCalls.size(), 3u);
    EXPECT_EQ(shadeCalls[2].depth, -335);  // shaded at minus its view z
    EXPECT_EQ(shadeCalls[2].level, 30);
    EXPECT_FALSE(fillCalls.empty());  // subdivided: the pieces far enough away are drawn
    for (const auto& piece : drawnDepths()) EXPECT_GE(piece[0], 64);
}

TEST_F(WorldRoad, FacesWithNoCornerBeyondMinus214AreNotDrawn) {
    place(-214, -214, -100);
    renderFaceClipped(&renderContext, &face);
    EXPECT_TRUE(fillCalls.empty());
    place(-215, -214, -100);
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(drawnDepths(), (Pieces{{100, 214, 215}}));
}

TEST_F(WorldRoad, BlendedFacesAreQueued) {
    place(-500, -500, -500, &blended);
    renderFaceClipped(&renderContext, &face);
    EXPECT_TRUE(fillCalls.empty());
    EXPECT_EQ(faceQueue.itemCount, 1);
    EXPECT_EQ(faceQueue.storedFaceCount, 0);  // whole faces point at the world's own vertices
}

TEST_F(WorldRoad, SharedVerticesAreProcessedOncePerFrame) {
    renderContext.project = vxtest::countingProject;
    place(-500, -500, -500);
    MeshVertex d = vxtest::modelVertex(40, 40, 500);  // behind the eye
    d.stamp = -1;
    MeshFace second = vxtest::makeFace(&v[1], &v[2], &v[0], &opaque);
    MeshFace third = vxtest::makeFace(&d, &v[0], &v[1], &opaque);
    MeshFace fourth = vxtest::makeFace(&v[0], &v[1], &d, &opaque);
    for (MeshFace* f : {&face, &second, &third, &fourth}) renderFaceClipped(&renderContext, f);
    EXPECT_EQ(vxtest::projectCalls, 3);
    EXPECT_EQ(fillCalls.size(), 2u);
    EXPECT_EQ(d.depth, 0);

    renderContext.frameCounter = 0x10001;  // another frame with the same low bits: still done
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(vxtest::projectCalls, 3);
    renderContext.frameCounter = 2;
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(vxtest::projectCalls, 6);
}

TEST_F(WorldRoad, AFreshStampIsNeverTakenForTheFrameWithLowBitsFFFF) {
    renderContext.project = vxtest::countingProject;
    renderContext.frameCounter = 0x2FFFF;
    place(-500, -500, -500);
    for (MeshVertex& vertex : v) vertex.depth = 0;  // what a match would wrongly read
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(vxtest::projectCalls, 3);
    EXPECT_EQ(fillCalls.size(), 1u);
    // On that frame nothing counts as done: a second use processes again, to the same result.
    renderFaceClipped(&renderContext, &face);
    EXPECT_EQ(vxtest::projectCalls, 6);
    EXPECT_EQ(fillCalls.size(), 2u);
    EXPECT_EQ(fillCalls[0].value[0].sx, fillCalls[1].value[0].sx);
}

TEST_F(WorldRoad, ASplitWithOneDrawnAndOneDroppedPiece) {
    // Largest depth change on edge c-a: midpoint m at view z -200. (a, b, m) lies wholly in
    // front of the plane; (m, b, c) lies wholly within 214 of the eye.
    place(-400, -100, 0);
    renderFaceClipped(&renderContext, &face);
    ASSERT_EQ(drawnDepths(), (Pieces{{100, 200, 400}}));
    const vxtest::FillCall& call = fillCalls[0];
    const ProjectedVertex& m = cornerAtDepth(call, 200);
    const auto k = &m - call.value;
    // m: view (0, -20, -200) -> column 160 - 35, row 120; texture coordinate halfway from c to a.
    EXPECT_EQ(m.sx, 125);
    EXPECT_EQ(m.sy, 120);
    EXPECT_EQ(m.shade, (v[2].shade + v[0].shade) >> 1);
    EXPECT_EQ(call.u[k], (-80 + 16) >> 1);
    EXPECT_EQ(call.v[k], (96 + 32) >> 1);
}

TEST_F(WorldRoad, AMidpointIsShadedAtLeastOne) {
    place(-400, -100, 0);
    v[0].light = v[2].light = 0;
    renderContext.shade = [](int, int level) { return int16_t(level); };
    renderFaceClipped(&renderContext, &face);
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(cornerAtDepth(fillCalls[0], 200).shade, 1);
}

TEST_F(WorldRoad, RecursedSplitsDrawOnlyPiecesInFrontOfThePlane) {
    place(-1000, -1000, -40);
    renderFaceClipped(&renderContext, &face);
    const Pieces pieces = drawnDepths();
    ASSERT_GT(pieces.size(), 3u);
    // Depth first, first sub-face first: (a, b, m) with m halfway to c, then (m, b, m2).
    EXPECT_EQ(pieces[0], (std::array<int, 3>{520, 1000, 1000}));
    EXPECT_EQ(pieces[1], (std::array<int, 3>{520, 520, 1000}));
    // c-a and b-c change depth alike; the tie goes to c-a: m at view (0, -20, -520), left of centre.
    EXPECT_EQ(cornerAtDepth(fillCalls[0], 520).sx, 146);
    for (const auto& piece : pieces) {
        EXPECT_GE(piece[0], 64);   // every corner projected
        EXPECT_GT(piece[2], 214);  // and some corner beyond the too-close zone
    }

    // a-b and b-c alike: the tie goes to a-b, m at view (-40, 0, -520) above the centre.
    fillCalls.clear();
    place(-1000, -40, -1000);
    renderFaceClipped(&renderContext, &face);
    ASSERT_FALSE(fillCalls.empty());
    EXPECT_EQ(drawnDepths()[0], (std::array<int, 3>{520, 1000, 1000}));
    EXPECT_EQ(cornerAtDepth(fillCalls[0], 520).sy, 93);
}

TEST_F(WorldRoad, QueuedPiecesAreStoredAndTheStoreLimitDropsTheRest) {
    place(-1000, -1000, -40, &blended);
    for (int i = 0; i < 1023; ++i) storeFace(&faceQueue, &face, 0);
    renderFaceClipped(&renderContext, &face);
    EXPECT_TRUE(fillCalls.empty());
    EXPECT_EQ(faceQueue.storedFaceCount, 1024);
    EXPECT_EQ(faceQueue.itemCount, 1);  // the first piece took the last slot
    flushFaceQueue(&faceQueue);
    EXPECT_EQ(drawnDepths(), (Pieces{{520, 1000, 1000}}));
    // The drawn piece reads the store's copies, not the split's own (long gone) midpoint.
    for (const ProjectedVertex* corner : fillCalls[0].corner) {
        EXPECT_GE(corner, &faceQueue.storedVertices[0]);
        EXPECT_LT(corner, &faceQueue.storedVertices[3 * kFaceStoreFaces]);
    }
}

TEST_F(WorldRoad, QueuedPiecesWithRoomAreAllDrawnAtTheFlush) {
    place(-1000, -1000, -40, &blended);
    renderFaceClipped(&renderContext, &face);
    const int queued = faceQueue.itemCount;
    EXPECT_GE(faceQueue.storedFaceCount, queued);  // a stored piece may still have no height
    EXPECT_GT(queued, 3);
    flushFaceQueue(&faceQueue);
    EXPECT_EQ(int(fillCalls.size()), queued);
}

}  // namespace
