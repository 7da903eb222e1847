// SPDX-License-Identifier: MIT
// The depth-sorted face queue and the face store: bucket keys, flush orders, the limits of 4096
// queued faces and 1024 stored faces, and the header after every flush.
#include <gtest/gtest.h>

#include <array>

#include "support/pipeline_recorder.h"

namespace {

using namespace veloxia;
using vxtest::fillCalls;

// Flat faces at one depth each: every corner of face i has depth depths[i], rows 10, 20, 30.
class Queue : public vxtest::PipelineFixture {
protected:
    std::vector<std::array<MeshVertex, 3>> vertices;
    std::vector<MeshFace> faces;

    void makeFaces(const std::vector<int>& depths, Texture* texture) {
        vertices.assign(depths.size(), {});
        faces.assign(depths.size(), {});
        for (size_t i = 0; i < depths.size(); ++i) {
            auto& v = vertices[i];
            v = {vxtest::screenVertex(0, 10, depths[i]), vxtest::screenVertex(5, 20, depths[i]),
                 vxtest::screenVertex(0, 30, depths[i])};
            faces[i] = vxtest::makeFace(&v[0], &v[1], &v[2], texture);
        }
    }

    // Indices into `faces` of the faces drawn so far, in drawing order.
    std::vector<int> drawnFaces() const {
        std::vector<int> order;
        for (const vxtest::FillCall& call : fillCalls)
            for (size_t i = 0; i < vertices.size(); ++i)
                if (call.corner[0] == &vertices[i][0]) order.push_back(int(i));
        return order;
    }
};

TEST_F(Queue, FarthestBucketFirstAndInsertionOrderWithinABucket) {
    // Keys: 100s -> 75, 101s -> 75 (303 >> 2), 8191s -> 6143, 64s -> 48.
    makeFaces({100, 8191, 101, 64, 100}, &blended);
    flushFaceQueue(&faceQueue);  // an empty queue draws nothing
    EXPECT_TRUE(fillCalls.empty());
    for (MeshFace& f : faces) queueFace(&renderContext, &f);
    EXPECT_EQ(faceQueue.itemCount, 5);
    EXPECT_EQ(faceQueue.minKey, 48);
    EXPECT_EQ(faceQueue.maxKey, 6143);
    EXPECT_EQ(faceQueue.buckets[75].count, 3);
    flushFaceQueue(&faceQueue);
    EXPECT_EQ(drawnFaces(), (std::vector<int>{1, 0, 2, 4, 3}));
    EXPECT_EQ(faceQueue.itemCount, 0);
    EXPECT_EQ(faceQueue.buckets[75].count, 0);
    EXPECT_EQ(faceQueue.minKey, 6144);
    EXPECT_EQ(faceQueue.maxKey, 0);
    queueFace(&renderContext, &faces[1]);  // the next frame starts from an empty header
    EXPECT_EQ(faceQueue.minKey, 6143);
    EXPECT_EQ(faceQueue.maxKey, 6143);
}

TEST_F(Queue, The4097thQueuedFaceIsNotDrawn) {
    std::vector<int> depths(4097, 300);
    depths.back() = 8000;  // would be drawn first if it were queued
    makeFaces(depths, &blended);
    for (MeshFace& f : faces) queueFace(&renderContext, &f);
    EXPECT_EQ(faceQueue.itemCount, 4096);
    flushFaceQueue(&faceQueue);
    const std::vector<int> drawn = drawnFaces();
    ASSERT_EQ(drawn.size(), 4096u);
    EXPECT_EQ(drawn.front(), 0);
    EXPECT_EQ(drawn.back(), 4095);
}

TEST_F(Queue, DepthsOutsideTheProjectedRangeStayInsideTheBuckets) {
    makeFaces({-300, 32767}, &blended);
    for (MeshFace& f : faces) queueFace(&renderContext, &f);
    EXPECT_EQ(faceQueue.minKey, 0);
    EXPECT_EQ(faceQueue.maxKey, 6143);
    flushFaceQueue(&faceQueue);
    EXPECT_EQ(drawnFaces(), (std::vector<int>{1, 0}));
}

TEST_F(Queue, DrawQueuedFaceFollowsTheOrderCode) {
    MeshVertex a = vxtest::screenVertex(0, 10), b = vxtest::screenVertex(5, 20), c = vxtest::screenVertex(0, 30);
    MeshFace f = vxtest::makeFace(&a, &b, &c, &opaque);
    drawQueuedFace(&renderContext, &f, 0x021);  // b, c, a whatever the rows say
    drawQueuedFace(&renderContext, &f, 0x312);  // names a fourth corner: nothing
    ASSERT_EQ(fillCalls.size(), 1u);
    EXPECT_EQ(vxtest::cornerOrder(fillCalls[0], f), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(fillCalls[0].u[0], 48);
}

TEST_F(Queue, SortedFlushDrawsOpaqueNearestFirstAndBlendedFarthestFirst) {
    // Opaque at keys 10 and 20, blended at keys 20 and 10 (depths 14 -> 42 >> 2 = 10, 27 -> 20).
    makeFaces({27, 14, 27, 14}, &opaque);
    faces[2].texture = faces[3].texture = &blended;
    for (MeshFace& f : faces) insertFaceQueue(&faceQueue, &f, 0x210);
    flushFaceQueueSorted(&faceQueue);
    EXPECT_EQ(drawnFaces(), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(faceQueue.buckets[10].count, 0);
    EXPECT_EQ(faceQueue.itemCount, 0);
    EXPECT_EQ(faceQueue.minKey, 6144);
}

TEST_F(Queue, SortedFlushDefersAtMost1024BlendedFaces) {
    makeFaces(std::vector<int>(1025, 300), &blended);
    for (MeshFace& f : faces) insertFaceQueue(&faceQueue, &f, 0x210);
    flushFaceQueueSorted(&faceQueue);
    const std::vector<int> drawn = drawnFaces();
    ASSERT_EQ(drawn.size(), 1024u);
    EXPECT_EQ(drawn.front(), 1023);  // last appended, first drawn
    EXPECT_EQ(drawn.back(), 0);
}

TEST_F(Queue, StoreFaceCopiesOrSharesTheCorners) {
    MeshVertex a = vxtest::screenVertex(1, 2, 3, 4), b = vxtest::screenVertex(5, 6, 7, 8),
               c = vxtest::screenVertex(9, 10, 11, 12);
    MeshFace f = vxtest::makeFace(&a, &b, &c, &opaque);
    MeshFace* copied = storeFace(&faceQueue, &f, 1);
    MeshFace* shared = storeFace(&faceQueue, &f, 0);
    ASSERT_NE(copied, nullptr);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(faceQueue.storedFaceCount, 2);
    EXPECT_EQ(faceQueue.storedVertexCount, 3);
    a.sx = 100;  // the copy keeps the value it was given
    EXPECT_EQ(copied->corner[0].vertex->sx, 1);
    EXPECT_EQ(copied->corner[2].vertex->shade, 12);
    EXPECT_EQ(copied->corner[1].vertex, &faceQueue.storedVertices[1]);
    EXPECT_EQ(shared->corner[0].vertex, &a);
    for (const MeshFace* s : {copied, shared}) {
        EXPECT_EQ(s->texture, &opaque);
        EXPECT_EQ(s->corner[2].u, -80);
        EXPECT_EQ(s->corner[2].v, 96);
    }
    flushFaceQueue(&faceQueue);  // empties the store with the queue
    EXPECT_EQ(faceQueue.storedFaceCount, 0);
    EXPECT_EQ(faceQueue.storedVertexCount, 0);
}

TEST_F(Queue, The1025thStoredFaceIsRefused) {
    MeshVertex a = vxtest::screenVertex(0, 10), b = vxtest::screenVertex(5, 20), c = vxtest::screenVertex(0, 30);
    MeshFace f = vxtest::makeFace(&a, &b, &c, &opaque);
    for (int i = 0; i < 1024; ++i) ASSERT_NE(storeFace(&faceQueue, &f, 1), nullptr);
    EXPECT_EQ(storeFace(&faceQueue, &f, 1), nullptr);
    EXPECT_EQ(storeFace(&faceQueue, &f, 0), nullptr);
    EXPECT_EQ(faceQueue.storedVertexCount, 3072);
    resetFaceQueue(&faceQueue);
    EXPECT_NE(storeFace(&faceQueue, &f, 1), nullptr);
}

}  // namespace
