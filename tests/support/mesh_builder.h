// SPDX-License-Identifier: MIT
// Builds small scene objects in memory for the light, immediate-mode and world tests.
#pragma once

#include <veloxia/veloxia.h>

#include <array>
#include <cstdint>
#include <vector>

namespace vxtest {

struct VertexSpec {
    int16_t x, y, z;
    int16_t light = 16;
    int16_t nx = 0, ny = 0, nz = 0;
};

// A world member object with the given vertices and triangles (vertex indices), all faces on
// `texture` with texture coordinates 0.
inline veloxia::SceneObject makeObject(const std::vector<VertexSpec>& vertices,
                                       const std::vector<std::array<int, 3>>& triangles,
                                       veloxia::Texture* texture = nullptr) {
    veloxia::SceneObject o{};
    o.worldMember = 1;
    o.active = 1;
    o.vertexCount = int32_t(vertices.size());
    o.vertices = std::make_unique<veloxia::MeshVertex[]>(vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        veloxia::MeshVertex& v = o.vertices[i];
        v = veloxia::MeshVertex{};
        v.x = vertices[i].x;
        v.y = vertices[i].y;
        v.z = vertices[i].z;
        v.light = vertices[i].light;
        v.nx = vertices[i].nx;
        v.ny = vertices[i].ny;
        v.nz = vertices[i].nz;
    }
    o.faceCount = int32_t(triangles.size());
    o.faces = std::make_unique<veloxia::MeshFace[]>(triangles.size());
    for (size_t i = 0; i < triangles.size(); ++i) {
        veloxia::MeshFace& f = o.faces[i];
        f = veloxia::MeshFace{};
        for (int k = 0; k < 3; ++k) f.corner[k].vertex = &o.vertices[size_t(triangles[i][size_t(k)])];
        f.texture = texture;
        f.cell = -1;
    }
    return o;
}

// A small triangle with its centroid at (x, y, z): corners (x-1, y-1, z), (x+2, y-1, z), (x-1, y+2, z).
inline void addTriangleAround(std::vector<VertexSpec>& vertices, std::vector<std::array<int, 3>>& triangles,
                              int16_t x, int16_t y, int16_t z) {
    const int base = int(vertices.size());
    vertices.push_back({int16_t(x - 1), int16_t(y - 1), z});
    vertices.push_back({int16_t(x + 2), int16_t(y - 1), z});
    vertices.push_back({int16_t(x - 1), int16_t(y + 2), z});
    triangles.push_back({base, base + 1, base + 2});
}

}  // namespace vxtest
