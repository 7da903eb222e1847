// SPDX-License-Identifier: MIT
#include "support/probe_object.h"

namespace vxtest {

using namespace veloxia;

namespace {

// A 32x32 texture: checks of two colours, with a marker in the top-left quarter so that a
// turned or mirrored mapping shows.
void paint(uint16_t* texels, int light, int dark, bool keyedHoles) {
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool check = ((x >> 2) ^ (y >> 2)) & 1;
            const bool marker = x < 12 && y < 6;
            int colour = check ? light : dark;
            if (marker) colour = makeColorIndex(255, 255, 255);
            if (keyedHoles && check && !marker) colour = 0;  // colour index 0: see-through in mode 1
            texels[y * 32 + x] = uint16_t(colour);
        }
}

void setTexture(Texture* t, uint16_t* texels, int drawMode, int cull) {
    t->backfaceCull = cull;
    t->width = t->height = 32;
    t->drawMode = drawMode;
    t->uMask = 31u << 16;
    t->vMask = (31u * 32u) << 16;
    t->texels = texels;
    t->averageColor = textureAverageColor(t);
    t->frameCount = 1;
}

}  // namespace

ProbeObject::ProbeObject() {
    paint(texels[0], makeColorIndex(230, 180, 40), makeColorIndex(60, 60, 140), false);
    paint(texels[1], makeColorIndex(40, 200, 90), makeColorIndex(200, 40, 40), true);
    paint(texels[2], makeColorIndex(80, 220, 255), makeColorIndex(255, 80, 200), false);
    setTexture(&textures[0], texels[0], 0, 1);
    setTexture(&textures[1], texels[1], 1, 1);
    setTexture(&textures[2], texels[2], 2, 0);

    matIdentity(&object.matrix);
    matRotateX(&object.matrix, 300);  // tilted, so that the turning views show top and bottom too
    object.vertexCount = 12;
    object.vertices = std::make_unique<MeshVertex[]>(12);
    const int s = 70;
    for (int i = 0; i < 8; ++i) {  // cube corners: x from bit 0, y from bit 1, z from bit 2
        MeshVertex& v = object.vertices[i];
        v = MeshVertex{};
        v.x = int16_t(i & 1 ? s : -s);
        v.y = int16_t(i & 2 ? s : -s);
        v.z = int16_t(i & 4 ? s : -s);
        v.light = int16_t(12 + 2 * i);
    }
    for (int i = 0; i < 4; ++i) {  // a fin in the plane z = 0, wider than the cube
        MeshVertex& v = object.vertices[8 + i];
        v = MeshVertex{};
        v.x = int16_t(i & 1 ? 2 * s : -2 * s);
        v.y = int16_t(i & 2 ? s / 2 : -s / 2);
        v.light = 31;
    }
    // Quads as seen from outside, counter-clockwise on the screen when facing the viewer.
    const int quads[7][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5},
                             {8, 9, 11, 10}};
    const int textureOf[7] = {0, 0, 1, 0, 1, 0, 2};
    const int16_t uv[4][2] = {{0, 0}, {511, 0}, {511, 511}, {0, 511}};  // 12.4: the whole texture
    object.faceCount = 14;
    object.faces = std::make_unique<MeshFace[]>(14);
    for (int q = 0; q < 7; ++q)
        for (int half = 0; half < 2; ++half) {
            MeshFace& f = object.faces[2 * q + half];
            const int corners[3] = {0, 1 + half, 2 + half};
            for (int k = 0; k < 3; ++k)
                f.corner[k] = {&object.vertices[quads[q][corners[k]]], uv[corners[k]][0], uv[corners[k]][1]};
            f.texture = &textures[textureOf[q]];
            f.cell = -1;
        }
}

}  // namespace vxtest
