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

}  // namespace veloxia
