// SPDX-License-Identifier: MIT
// The two face paths after the vertex stage: fill at once, or queue for the end of the frame.
#include <veloxia/pipeline.h>

#include "pipeline/classify.h"

namespace veloxia {

int32_t drawFaceNow(RenderContext* rc, MeshFace* f) {
    const int32_t order = pipeline::classifyFace(*f);
    return order == 0 ? 0 : pipeline::fillInOrder(rc, *f, order);
}

void queueFace(RenderContext*, MeshFace* f) {
    const int32_t order = pipeline::classifyFace(*f);
    if (order != 0) insertFaceQueue(&faceQueue, f, order);
}

namespace pipeline {

// The face is classified before it takes a store slot: the store is emptied only by a flush, and
// the loop flushes only when the queue holds something, so a slot taken by a face that is then
// not drawn would be lost for good (after 1024 of them nothing blended would be drawn again).
void storeAndQueue(MeshFace* f, int32_t copyVertices) {
    const int32_t order = classifyFace(*f);
    if (order == 0) return;
    if (MeshFace* stored = storeFace(&faceQueue, f, copyVertices)) insertFaceQueue(&faceQueue, stored, order);
}

}  // namespace pipeline

}  // namespace veloxia
