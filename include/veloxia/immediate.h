// SPDX-License-Identifier: MIT
// Immediate-mode drawing: triangles, quads and indexed lists given call by call.
//
// Call immReset before first use. Vertices outside a begin/end pair are ignored; a face with a
// corner outside the depth range is never drawn; a full face store drops queued faces.
#pragma once

#include <cstdint>

#include "engine.h"
#include "types.h"

namespace veloxia {

// An application-owned vertex of an indexed list, 24 bytes.
struct IndexedVertex {
    int16_t x, y, z;    // model position
    int16_t light;      // base light level
    int16_t nx, ny, nz; // normal
    int16_t stamp;      // low 16 bits of the frame counter when last processed
    ProjectedVertex projected;
};
static_assert(sizeof(IndexedVertex) == 24);

struct ImmediateState {
    int32_t level;          // light level for new vertices, 1..31
    int32_t texU, texV;     // current texture coordinate, sign-extended from 16 bits; 1024 spans the texture
    int16_t normal[3];
    int32_t count;          // vertices given so far in the current primitive
    uint32_t texturing;     // non-zero: texture coordinates and immTexture take effect
    uint32_t mode;          // 0 none, 1 triangles, 2 quads
    MeshFace triangle;      // corners corner0, corner1, corner2
    MeshFace quadFirst;     // corners corner0, corner1, corner2
    MeshFace quadSecond;    // corners corner0, corner2, corner3
    MeshVertex corner0, corner1, corner2, corner3;
    uint16_t defaultTexels[64];
    Texture defaultTexture; // 8x8 white, back faces culled
    IndexedVertex* vertexArray;
    const int16_t* texCoordArray;  // two values per index position
};

extern ImmediateState immediateState;

void immReset();
void immEnable(uint32_t capability);   // 0: texturing on
void immDisable(uint32_t capability);  // 0: texturing off, default texture and coordinates
void immBegin(uint32_t mode);          // 1 triangles, 2 quads
void immEnd();
void immTexture(Texture* texture);
void immNormal(int16_t nx, int16_t ny, int16_t nz);
void immTexCoord(int32_t u, int32_t v);
void immLightLevel(int32_t level);
void immVertex(int16_t x, int16_t y, int16_t z);
void immRotate(int32_t angle, int32_t ax, int32_t ay, int32_t az);  // about y, else x, else z
void immVertexArray(int32_t n, IndexedVertex* v);
void immTexCoordArray(const int16_t* coords);
void immDrawElements(int32_t n, const uint16_t* indices);
void drawMesh(RenderContext* rc, MeshVertex* vertices, int32_t vertexCount, MeshFace* faces, int32_t faceCount);
void drawIndexed(RenderContext* rc, const uint16_t* indices, int32_t n);

}  // namespace veloxia
