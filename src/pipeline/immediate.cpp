// SPDX-License-Identifier: MIT
// Immediate-mode drawing: triangles and quads given vertex by vertex, indexed triangle lists from
// an application's vertex array, and the explicit-array call that carries both.
#include <veloxia/display.h>
#include <veloxia/immediate.h>
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>

#include <algorithm>

#include "engine/wrap.h"
#include "pipeline/classify.h"

namespace veloxia {

ImmediateState immediateState;

namespace {

ImmediateState& st = immediateState;

// View z range in which a vertex is projected: -8191..-65.
bool inDepthRange(int16_t vz) { return vz < -64 && vz > -8192; }

// The shade of a projected vertex: its level, plus the point lights at the view position with
// the normal rotated into view space while lights are on.
void shadeVertex(RenderContext* rc, const Mat34* m, const int16_t view[3], int32_t light, const int16_t normal[3],
                 ProjectedVertex* out) {
    int32_t level = light;
    if (lightCount != 0) {
        const Vec3 n{normal[0], normal[1], normal[2]};
        Vec3 rotated;
        matRotateVector(m, &n, &rotated);
        const int16_t r[3] = {rotated.x, rotated.y, rotated.z};
        level = wrapAdd(level, lightSum(view, r));
    }
    out->shade = rc->shade(out->depth, level);
}

// The vertex stage of drawMesh. A vertex outside the depth range gets depth 0 (and its vz) and
// the stage goes on with the next vertex, so only the faces that use it are skipped, as on the
// object road; its other fields keep their values.
void transformMeshVertex(RenderContext* rc, const Mat34* m, MeshVertex* v) {
    const Vec3 model{v->x, v->y, v->z};
    Vec3 view;
    matTransformZ(m, &model, &view);
    v->vz = view.z;
    if (!inDepthRange(view.z)) {
        v->depth = 0;
        return;
    }
    matTransformXY(m, &model, &view);
    v->vx = view.x;
    v->vy = view.y;
    const int16_t position[3] = {view.x, view.y, view.z};
    rc->project(position, v);
    const int16_t normal[3] = {v->nx, v->ny, v->nz};
    shadeVertex(rc, m, position, v->light, normal, v);
}

// Draws a face at once, or copies it (with copyVertices) to the face store and queues the copy.
void dispatchFace(RenderContext* rc, MeshFace* face, int32_t copyVertices) {
    if (face->texture->drawMode < 2) {
        drawFaceNow(rc, face);
    } else {
        pipeline::storeAndQueue(face, copyVertices);
    }
}

void dispatchMeshFace(RenderContext* rc, MeshFace* face) {
    for (const FaceCorner& corner : face->corner) {
        if (corner.vertex->depth == 0) return;
    }
    dispatchFace(rc, face, 1);  // the corner vertices are reused by the next primitive
}

// drawMesh for the corners and faces of ImmediateState, which are separate records.
void drawPrimitive(MeshVertex* const* vertices, int vertexCount, MeshFace* const* faces, int faceCount) {
    const Mat34* m = matrixStack.top;
    if (m == nullptr) return;
    for (int i = 0; i < vertexCount; ++i) transformMeshVertex(&renderContext, m, vertices[i]);
    for (int i = 0; i < faceCount; ++i) dispatchMeshFace(&renderContext, faces[i]);
}

void setCornerUV(FaceCorner& corner, int16_t u, int16_t v) {
    corner.u = u;
    corner.v = v;
}

MeshVertex* vertexOf(const FaceCorner& corner) { return static_cast<MeshVertex*>(corner.vertex); }

}  // namespace

void immReset() {
    const uint16_t white = uint16_t(makeColorIndex(255, 255, 255));
    std::fill(std::begin(st.defaultTexels), std::end(st.defaultTexels), white);
    Texture& t = st.defaultTexture;
    t.backfaceCull = 1;
    t.width = 8;
    t.height = 8;
    t.drawMode = 0;
    t.uMask = 7u << 16;
    t.vMask = 56u << 16;
    t.texels = st.defaultTexels;
    t.frames.clear();
    t.averageColor = 0;
    t.frameCount = 1;
    t.frameIndex = 0;
    t.frameDelay = 0;
    t.frameTimer = 0;

    MeshVertex* triangleCorners[3] = {&st.corner0, &st.corner1, &st.corner2};
    MeshVertex* secondCorners[3] = {&st.corner0, &st.corner2, &st.corner3};
    for (int k = 0; k < 3; ++k) {
        st.triangle.corner[k].vertex = triangleCorners[k];
        st.quadFirst.corner[k].vertex = triangleCorners[k];
        st.quadSecond.corner[k].vertex = secondCorners[k];
    }
    st.triangle.cell = st.quadFirst.cell = st.quadSecond.cell = -1;
    st.level = 31;
    st.texU = st.texV = 0;
    st.normal[0] = st.normal[1] = st.normal[2] = 0;
    st.count = 0;
    st.mode = 0;
    st.vertexArray = nullptr;
    st.texCoordArray = nullptr;
    immDisable(0);
}

void immEnable(uint32_t capability) {
    if (capability == 0) st.texturing = 1;
}

void immDisable(uint32_t capability) {
    if (capability != 0) return;
    st.texturing = 0;
    for (MeshFace* f : {&st.triangle, &st.quadFirst, &st.quadSecond}) f->texture = &st.defaultTexture;
    // Whole default texture, in 1/16 texel: the second quad face takes the other half.
    setCornerUV(st.triangle.corner[0], 0, 0);
    setCornerUV(st.triangle.corner[1], 128, 0);
    setCornerUV(st.triangle.corner[2], 128, 128);
    setCornerUV(st.quadFirst.corner[0], 0, 0);
    setCornerUV(st.quadFirst.corner[1], 128, 0);
    setCornerUV(st.quadFirst.corner[2], 128, 128);
    setCornerUV(st.quadSecond.corner[0], 0, 0);
    setCornerUV(st.quadSecond.corner[1], 128, 128);
    setCornerUV(st.quadSecond.corner[2], 0, 128);
}

void immBegin(uint32_t mode) {
    st.mode = mode;
    st.count = 0;
    st.level = 31;
}

void immEnd() { st.mode = 0; }

void immTexture(Texture* texture) {
    if (st.texturing == 0) return;
    for (MeshFace* f : {&st.triangle, &st.quadFirst, &st.quadSecond}) f->texture = texture;
}

void immNormal(int16_t nx, int16_t ny, int16_t nz) {
    st.normal[0] = nx;
    st.normal[1] = ny;
    st.normal[2] = nz;
}

void immTexCoord(int32_t u, int32_t v) {
    st.texU = low16(u);
    st.texV = low16(v);
}

void immLightLevel(int32_t level) { st.level = std::clamp<int32_t>(low16(level), 1, 31); }

void immVertex(int16_t x, int16_t y, int16_t z) {
    if (st.mode != 1 && st.mode != 2) return;
    const bool triangles = st.mode == 1;
    const int32_t last = triangles ? 2 : 3;
    if (st.count < 0 || st.count > last) return;  // only reachable by writing the state directly
    FaceCorner& corner = (triangles || st.count < 3) ? (triangles ? st.triangle : st.quadFirst).corner[st.count]
                                                     : st.quadSecond.corner[2];
    if (st.texturing != 0) {
        // texU, texV: 1024 spans the texture; u, v: 12.4 texels.
        const Texture* t = st.triangle.texture;
        corner.u = low16(sar(wrapMul(st.texU, t->width), 6));
        corner.v = low16(sar(wrapMul(st.texV, t->height), 6));
    }
    MeshVertex* v = vertexOf(corner);
    v->x = x;
    v->y = y;
    v->z = z;
    v->light = low16(st.level);
    if (lightCount != 0) {
        v->nx = st.normal[0];
        v->ny = st.normal[1];
        v->nz = st.normal[2];
    }
    if (st.count < last) {
        ++st.count;
        return;
    }
    st.count = 0;
    if (triangles) {
        MeshVertex* const vertices[3] = {&st.corner0, &st.corner1, &st.corner2};
        MeshFace* const faces[1] = {&st.triangle};
        drawPrimitive(vertices, 3, faces, 1);
    } else {
        // A quad A, B, C, D is drawn as (A, B, C) and (A, C, D).
        setCornerUV(st.quadSecond.corner[0], st.quadFirst.corner[0].u, st.quadFirst.corner[0].v);
        setCornerUV(st.quadSecond.corner[1], st.quadFirst.corner[2].u, st.quadFirst.corner[2].v);
        MeshVertex* const vertices[4] = {&st.corner0, &st.corner1, &st.corner2, &st.corner3};
        MeshFace* const faces[2] = {&st.quadFirst, &st.quadSecond};
        drawPrimitive(vertices, 4, faces, 2);
    }
}

void immRotate(int32_t angle, int32_t ax, int32_t ay, int32_t az) {
    Mat34* m = matrixStack.top;
    if (m == nullptr) return;
    // One rotation at most: y before x before z.
    if (low16(ay) != 0) {
        matRotateY(m, low16(angle));
    } else if (low16(ax) != 0) {
        matRotateX(m, low16(angle));
    } else if (low16(az) != 0) {
        matRotateZ(m, low16(angle));
    }
}

void immVertexArray(int32_t n, IndexedVertex* v) {
    // One frame back, so that the next use in this frame processes each vertex.
    const int16_t stale = low16(int32_t(renderContext.frameCounter - 1));
    if (v != nullptr) {
        for (int32_t i = 0; i < n; ++i) v[i].stamp = stale;
    }
    st.vertexArray = v;
}

void immTexCoordArray(const int16_t* coords) { st.texCoordArray = coords; }

void immDrawElements(int32_t n, const uint16_t* indices) {
    if (st.vertexArray != nullptr) drawIndexed(&renderContext, indices, n);
}

void drawMesh(RenderContext* rc, MeshVertex* vertices, int32_t vertexCount, MeshFace* faces, int32_t faceCount) {
    const Mat34* m = matrixStack.top;
    if (m == nullptr) return;
    for (int32_t i = 0; i < vertexCount; ++i) transformMeshVertex(rc, m, &vertices[i]);
    for (int32_t i = 0; i < faceCount; ++i) dispatchMeshFace(rc, &faces[i]);
}

namespace {

// Processes an indexed vertex at most once per frame; false when it is out of the depth range.
bool processIndexed(RenderContext* rc, const Mat34* m, IndexedVertex* p) {
    if (frameStampMatches(p->stamp, rc->frameCounter)) return p->projected.depth != 0;
    p->stamp = frameStamp(rc->frameCounter);
    const Vec3 model{p->x, p->y, p->z};
    Vec3 view;
    matTransformZ(m, &model, &view);
    if (!inDepthRange(view.z)) {
        p->projected.depth = 0;
        return false;
    }
    matTransformXY(m, &model, &view);
    const int16_t position[3] = {view.x, view.y, view.z};
    rc->project(position, &p->projected);
    const int16_t normal[3] = {p->nx, p->ny, p->nz};
    shadeVertex(rc, m, position, p->light, normal, &p->projected);
    return true;
}

}  // namespace

void drawIndexed(RenderContext* rc, const uint16_t* indices, int32_t n) {
    const Mat34* m = matrixStack.top;
    IndexedVertex* vertices = st.vertexArray;
    const int16_t* coords = st.texCoordArray;
    if (m == nullptr || vertices == nullptr) return;
    MeshFace face{};
    face.texture = st.triangle.texture;
    face.cell = -1;
    // Trailing indices that do not make a whole triangle are ignored.
    for (int64_t i = 0; i + 2 < int64_t(n); i += 3) {
        bool whole = true;
        for (int k = 0; k < 3 && whole; ++k) {
            IndexedVertex* p = &vertices[indices[i + k]];
            whole = processIndexed(rc, m, p);
            // Texture coordinates follow the index position, not the vertex.
            const int64_t at = 2 * (i + k);
            face.corner[k] = FaceCorner{&p->projected, coords ? coords[at] : int16_t(0), coords ? coords[at + 1] : int16_t(0)};
        }
        if (whole) dispatchFace(rc, &face, 0);  // stored corners keep pointing into the array
    }
}

}  // namespace veloxia
