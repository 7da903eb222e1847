// SPDX-License-Identifier: MIT
// The depth-sorted face queue: a bucket sort of blended faces by the sum of their corner depths,
// drawn farthest first at the end of the frame, and the face store of pieces that must outlive
// the code that made them.
#include <veloxia/pipeline.h>

#include "pipeline/classify.h"

namespace veloxia {

// Static storage. All zero already holds no face (minKey 0 only widens the first flush's walk);
// initEngine resets it to the empty header proper.
FaceQueue faceQueue;

namespace {

// Bucket of a face: the three corner depths summed and shifted right by two (not divided by
// three), 0..6143 for projected depths. Depths outside what the projections produce are
// clamped to the first or last bucket, so no caller can index past the buckets.
int32_t bucketKey(const MeshFace& f) {
    const int32_t sum = f.corner[0].vertex->depth + f.corner[1].vertex->depth + f.corner[2].vertex->depth;
    const int32_t key = sar(sum, 2);
    if (key < 0) return 0;
    return key < kFaceQueueBuckets ? key : kFaceQueueBuckets - 1;
}

// The header after a flush; the face store is emptied with the queue.
void emptyHeader(FaceQueue* q) {
    q->minKey = kFaceQueueBuckets;
    q->maxKey = 0;
    q->itemCount = 0;
    q->storedFaceCount = 0;
    q->storedVertexCount = 0;
}

bool validOrder(int32_t order) {
    return (order & 15) < 3 && ((order >> 4) & 15) < 3 && uint32_t(order) >> 8 < 3;
}

}  // namespace

void resetFaceQueue(FaceQueue* q) {
    for (FaceQueueBucket& bucket : q->buckets) bucket.count = 0;
    emptyHeader(q);
}

void insertFaceQueue(FaceQueue* q, MeshFace* f, int32_t order) {
    if (q->itemCount >= kFaceQueueItems) return;  // the face is not drawn this frame
    FaceQueueItem* item = &q->items[q->itemCount++];
    const int32_t key = bucketKey(*f);
    FaceQueueBucket& bucket = q->buckets[key];
    if (bucket.count == 0) {
        bucket.head = item;
        if (key < q->minKey) q->minKey = key;
        if (key > q->maxKey) q->maxKey = key;
    } else {
        bucket.tail->next = item;
    }
    bucket.tail = item;
    item->face = f;
    ++bucket.count;
    item->order = order;
}

// An order code that names a corner outside a, b, c draws nothing.
int32_t drawQueuedFace(RenderContext* rc, const MeshFace* f, int32_t order) {
    if (!validOrder(order)) return 0;
    return pipeline::fillInOrder(rc, *f, order);
}

void flushFaceQueue(FaceQueue* q) {
    for (int32_t key = q->maxKey; key >= q->minKey; --key) {
        FaceQueueBucket& bucket = q->buckets[key];
        int32_t n = bucket.count;
        if (n == 0) continue;
        bucket.count = 0;
        for (const FaceQueueItem* item = bucket.head; n > 0; --n, item = item->next)
            drawQueuedFace(&renderContext, item->face, item->order);
    }
    emptyHeader(q);
}

void flushFaceQueueSorted(FaceQueue* q) {
    constexpr int32_t kDeferredCapacity = int32_t(sizeof q->deferred / sizeof q->deferred[0]);
    int32_t deferredCount = 0;
    for (int32_t key = q->minKey; key <= q->maxKey; ++key) {
        FaceQueueBucket& bucket = q->buckets[key];
        int32_t n = bucket.count;
        for (FaceQueueItem* item = bucket.head; n > 0; --n, item = item->next) {
            if (!pipeline::isBlended(*item->face->texture))
                drawQueuedFace(&renderContext, item->face, item->order);  // nearest first
            else if (deferredCount < kDeferredCapacity)
                q->deferred[deferredCount++] = item;  // drawn below, farthest first
        }
        bucket.count = 0;
    }
    while (deferredCount > 0) {
        const FaceQueueItem* item = q->deferred[--deferredCount];
        drawQueuedFace(&renderContext, item->face, item->order);
    }
    emptyHeader(q);
}

MeshFace* storeFace(FaceQueue* q, const MeshFace* f, int32_t copyVertices) {
    if (q->storedFaceCount >= kFaceStoreFaces) return nullptr;
    MeshFace* stored = &q->storedFaces[q->storedFaceCount++];
    for (int k = 0; k < 3; ++k) {
        ProjectedVertex* vertex = f->corner[k].vertex;
        if (copyVertices != 0) {
            ProjectedVertex* copy = &q->storedVertices[q->storedVertexCount++];
            *copy = *vertex;  // sx, sy, depth, shade only
            vertex = copy;
        }
        stored->corner[k] = {vertex, f->corner[k].u, f->corner[k].v};
    }
    stored->texture = f->texture;
    stored->cell = f->cell;
    return stored;
}

}  // namespace veloxia
