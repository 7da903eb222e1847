// SPDX-License-Identifier: MIT
// Mesh transform and projection, face classification, near-plane subdivision and the
// depth-sorted face queue.
//
// A vertex outside the depth range gets depth 0 and every face using it is skipped. The filler
// always receives its corners sorted by row, top row below 240, bottom row at least 0 and below
// the top, and columns that meet the screen. Beyond 4096 queued faces or 1024 stored pieces a
// frame, faces are silently not drawn.
#pragma once

#include <cstdint>

#include "engine.h"
#include "types.h"

namespace veloxia {

// Frame stamps of the world and indexed roads: a vertex keeps the low 16 bits of the frame
// counter of its last processing, so a vertex shared by several faces is processed once a frame.
// The world build marks fresh vertices with -1, which are also the low bits of every 65536th
// frame; on such a frame no stamp counts as current, so shared vertices are processed again
// (with the same results) and a fresh vertex is never taken for one already processed.
inline bool frameStampMatches(int16_t stamp, uint32_t frameCounter) {
    const auto now = uint16_t(frameCounter);
    return now != 0xFFFFu && uint16_t(stamp) == now;
}
inline int16_t frameStamp(uint32_t frameCounter) { return int16_t(uint16_t(frameCounter)); }

// Projection slot functions: write sx, sy, depth of out and return the depth.
int projectPortrait(const int16_t view[3], ProjectedVertex* out);
int projectLandscape(const int16_t view[3], ProjectedVertex* out);

void transformObject(RenderContext* rc, SceneObject* obj);  // transform, project and shade every vertex
void renderObject(RenderContext* rc, SceneObject* obj);     // transformObject, then every drawable face
int32_t projectVertex(RenderContext* rc, MeshVertex* v);    // one vertex without shading; 0 when rejected
void renderFaceClipped(RenderContext* rc, MeshFace* f);     // the world road: near zone and subdivision

// Corner order codes: bits 0..3 the top corner, 4..7 the middle, 8..11 the bottom (0 a, 1 b, 2 c).
int32_t drawFaceNow(RenderContext* rc, MeshFace* f);  // classify and fill at once
void queueFace(RenderContext* rc, MeshFace* f);       // classify and queue; rc is unused
void subdivideFace(RenderContext* rc, MeshFace* f);   // split at the near plane until each piece is decided

struct FaceQueueItem {
    MeshFace* face;
    int32_t order;        // corner order code
    FaceQueueItem* next;  // next item of the same bucket
};

struct FaceQueueBucket {
    int32_t count;
    FaceQueueItem* head;
    FaceQueueItem* tail;
};

inline constexpr int kFaceQueueBuckets = 6144;
inline constexpr int kFaceQueueItems = 4096;
inline constexpr int kFaceStoreFaces = 1024;

// Blended faces waiting for the end of the frame, in depth buckets (key = sum of the three
// corner depths >> 2; larger is farther), and the face store for pieces that outlive their maker.
struct FaceQueue {
    int32_t minKey;             // 6144 when empty
    int32_t maxKey;             // 0 when empty
    int32_t itemCount;
    int32_t storedFaceCount;
    int32_t storedVertexCount;
    FaceQueueItem items[kFaceQueueItems];
    FaceQueueBucket buckets[kFaceQueueBuckets];
    FaceQueueItem* deferred[1024];                     // flushFaceQueueSorted only
    MeshFace storedFaces[kFaceStoreFaces];
    ProjectedVertex storedVertices[3 * kFaceStoreFaces];
};

extern FaceQueue faceQueue;  // the global queue

MeshFace* storeFace(FaceQueue* q, const MeshFace* f, int32_t copyVertices);  // null when the store is full
void resetFaceQueue(FaceQueue* q);
void insertFaceQueue(FaceQueue* q, MeshFace* f, int32_t order);
int32_t drawQueuedFace(RenderContext* rc, const MeshFace* f, int32_t order);
void flushFaceQueue(FaceQueue* q);        // farthest bucket first, then empty
void flushFaceQueueSorted(FaceQueue* q);  // opaque and keyed nearest first, blended farthest first

}  // namespace veloxia
