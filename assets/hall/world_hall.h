// SPDX-License-Identifier: MIT
// A generated world for the walk-through example and the world benchmark: a tiled hall with a
// ceiling, brick outer walls, inner walls with doorways, and rows of pillars; textures drawn in
// code. About 5000 faces in four world objects. World units: y up, the floor at y = 0.
#pragma once

#include <veloxia/veloxia.h>

#include <array>
#include <cstdint>
#include <vector>

namespace walkthrough {

using namespace veloxia;

inline constexpr int kHalf = 1600;        // the hall spans -1600..1600 in x and z
inline constexpr int kWallHeight = 400;
inline constexpr int16_t kNormal = 32767;  // unit normals in 1.15, the scale the lights expect

// A 32 x 32 texture whose texels come from pattern(x, y) as 8-bit RGB.
template <typename Pattern>
void paintTexture(Texture& t, std::vector<uint16_t>& texels, Pattern pattern) {
    texels.resize(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::array<int, 3> c = pattern(x, y);
            texels[size_t(y * 32 + x)] = uint16_t(makeColorIndex(c[0], c[1], c[2]));
        }
    }
    t = Texture{};
    t.backfaceCull = 1;
    t.width = 32;
    t.height = 32;
    t.uMask = 31u << 16;
    t.vMask = (31u << 16) * 32u;
    t.texels = texels.data();
    t.frameCount = 1;
}

struct Textures {
    Texture floor, wall, pillar, ceiling;
    std::vector<uint16_t> floorTexels, wallTexels, pillarTexels, ceilingTexels;

    Textures() {
        paintTexture(floor, floorTexels, [](int x, int y) -> std::array<int, 3> {
            if (x == 0 || y == 0) return {70, 60, 50};  // grout
            const bool dark = ((x / 16) + (y / 16)) % 2 != 0;
            return dark ? std::array<int, 3>{150, 130, 100} : std::array<int, 3>{210, 190, 150};
        });
        paintTexture(wall, wallTexels, [](int x, int y) -> std::array<int, 3> {
            const int row = y / 8;
            const int shifted = (x + (row % 2) * 8) % 16;
            if (y % 8 == 0 || shifted == 0) return {200, 200, 190};  // mortar
            return ((x / 16 + row) % 3 == 0) ? std::array<int, 3>{160, 60, 40} : std::array<int, 3>{190, 80, 50};
        });
        paintTexture(pillar, pillarTexels, [](int x, int y) -> std::array<int, 3> {
            const int band = (x + y / 4) % 8;
            return band < 2 ? std::array<int, 3>{120, 140, 200} : std::array<int, 3>{230, 230, 240};
        });
        paintTexture(ceiling, ceilingTexels, [](int x, int y) -> std::array<int, 3> {
            return (x < 2 || y < 2) ? std::array<int, 3>{40, 40, 80} : std::array<int, 3>{90, 110, 160};
        });
    }
};

// Collects vertices and quads, then hands them over as one world SceneObject.
class MeshBuilder {
public:
    // A rectangle origin + i u / nu + j v / nv, split into nu x nv quads, each showing the whole
    // texture. It faces where u x v points: the faces run counter-clockwise seen from there.
    void panel(std::array<int, 3> origin, std::array<int, 3> u, std::array<int, 3> v, int nu, int nv,
               std::array<int16_t, 3> normal, int16_t light, Texture* texture) {
        const int base = int(vertices_.size());
        for (int j = 0; j <= nv; ++j) {
            for (int i = 0; i <= nu; ++i) {
                MeshVertex m{};
                m.x = int16_t(origin[0] + u[0] * i / nu + v[0] * j / nv);
                m.y = int16_t(origin[1] + u[1] * i / nu + v[1] * j / nv);
                m.z = int16_t(origin[2] + u[2] * i / nu + v[2] * j / nv);
                m.nx = normal[0];
                m.ny = normal[1];
                m.nz = normal[2];
                m.light = light;
                vertices_.push_back(m);
            }
        }
        for (int j = 0; j < nv; ++j) {
            for (int i = 0; i < nu; ++i) {
                const int a = base + j * (nu + 1) + i;
                quads_.push_back({a, a + 1, a + nu + 2, a + nu + 1});
                textures_.push_back(texture);
            }
        }
    }

    // The four sides of an upright box from (x0, z0) to (x1, z1), facing out.
    void box(int x0, int z0, int x1, int z1, int height, int along, int up, int16_t light, Texture* t) {
        panel({x0, 0, z1}, {x1 - x0, 0, 0}, {0, height, 0}, along, up, {0, 0, kNormal}, light, t);
        panel({x1, 0, z0}, {x0 - x1, 0, 0}, {0, height, 0}, along, up, {0, 0, -kNormal}, light, t);
        panel({x1, 0, z1}, {0, 0, z0 - z1}, {0, height, 0}, along, up, {kNormal, 0, 0}, light, t);
        panel({x0, 0, z0}, {0, 0, z1 - z0}, {0, height, 0}, along, up, {-kNormal, 0, 0}, light, t);
    }

    SceneObject finish() {
        SceneObject o{};
        o.active = 1;
        o.worldMember = 1;
        o.vertexCount = int32_t(vertices_.size());
        o.vertices = std::make_unique<MeshVertex[]>(vertices_.size());
        std::copy(vertices_.begin(), vertices_.end(), o.vertices.get());
        o.faceCount = int32_t(2 * quads_.size());
        o.faces = std::make_unique<MeshFace[]>(2 * quads_.size());
        static constexpr int16_t kUV[4][2] = {{0, 0}, {512, 0}, {512, 512}, {0, 512}};  // 32 texels in 12.4
        static constexpr int kSplit[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (size_t q = 0; q < quads_.size(); ++q) {
            for (int half = 0; half < 2; ++half) {
                MeshFace& f = o.faces[2 * q + size_t(half)];
                for (int k = 0; k < 3; ++k) {
                    const int corner = kSplit[half][k];
                    f.corner[k] = FaceCorner{&o.vertices[size_t(quads_[q][size_t(corner)])], kUV[corner][0], kUV[corner][1]};
                }
                f.texture = textures_[q];
                f.cell = -1;
            }
        }
        return o;
    }

private:
    std::vector<MeshVertex> vertices_;
    std::vector<std::array<int, 4>> quads_;
    std::vector<Texture*> textures_;
};

// The hall: objects[0] floor, [1] ceiling, [2] walls, [3] pillars.
struct Hall {
    Textures textures;
    SceneObject objects[4];

    Hall() {
        MeshBuilder floor, ceiling, walls, pillars;
        const int w = 2 * kHalf;
        floor.panel({-kHalf, 0, kHalf}, {w, 0, 0}, {0, 0, -w}, 32, 32, {0, kNormal, 0}, 18, &textures.floor);
        ceiling.panel({-kHalf, kWallHeight, -kHalf}, {w, 0, 0}, {0, 0, w}, 16, 16, {0, -kNormal, 0}, 12,
                      &textures.ceiling);
        // Outer walls facing in.
        walls.panel({-kHalf, 0, -kHalf}, {w, 0, 0}, {0, kWallHeight, 0}, 32, 4, {0, 0, kNormal}, 20, &textures.wall);
        walls.panel({kHalf, 0, kHalf}, {-w, 0, 0}, {0, kWallHeight, 0}, 32, 4, {0, 0, -kNormal}, 20, &textures.wall);
        walls.panel({-kHalf, 0, kHalf}, {0, 0, -w}, {0, kWallHeight, 0}, 32, 4, {kNormal, 0, 0}, 20, &textures.wall);
        walls.panel({kHalf, 0, -kHalf}, {0, 0, w}, {0, kWallHeight, 0}, 32, 4, {-kNormal, 0, 0}, 20, &textures.wall);
        // An inner wall along x = 0 from z = 200 to the outer wall, with a doorway at z = 550..850.
        walls.box(-20, 200, 20, 550, kWallHeight, 4, 4, 20, &textures.wall);
        walls.box(-20, 850, 20, kHalf, kWallHeight, 8, 4, 20, &textures.wall);
        // A wall across the hall at z = -900 closing off a back room, with a doorway on each side.
        walls.box(-kHalf, -920, -1080, -880, kWallHeight, 6, 4, 20, &textures.wall);
        walls.box(-680, -920, 680, -880, kWallHeight, 14, 4, 20, &textures.wall);
        walls.box(1080, -920, kHalf, -880, kWallHeight, 6, 4, 20, &textures.wall);
        // Pillars inside and outside the walk.
        for (int x : {-1400, -800, -400, 400, 800, 1400}) {
            pillars.box(x - 40, -340, x + 40, -260, kWallHeight, 1, 4, 22, &textures.pillar);
        }
        for (int x : {-800, 0, 800}) pillars.box(x - 40, -1520, x + 40, -1440, kWallHeight, 1, 4, 22, &textures.pillar);
        objects[0] = floor.finish();
        objects[1] = ceiling.finish();
        objects[2] = walls.finish();
        objects[3] = pillars.finish();
    }

    int faceCount() const {
        int n = 0;
        for (const SceneObject& o : objects) n += o.faceCount;
        return n;
    }
};

// The camera on frame f of a loop of `frames`: an ellipse round the inner pillars that passes
// through the doorway of the wall along x = 0 and through both doorways of the back room.
// The view matrix turns the heading to look along -z and moves the eye to the origin.
inline void cameraAt(int f, int frames, Mat34* view) {
    auto pointAt = [frames](int g, int& x, int& z) {
        const int a = (g * 2048 / frames) & 2047;  // angle in 2048ths of a turn
        x = (1100 * CosLut[a]) >> 14;
        z = -300 + ((1000 * SinLut[a]) >> 14);
    };
    int x0, z0, x1, z1;
    pointAt(f, x0, z0);
    pointAt(f + 1, x1, z1);
    // Heading h looks along (sin h, 0, -cos h).
    const int heading = angleOf(z0 - z1, x1 - x0);
    matIdentity(view);
    matRotateY(view, heading);
    matTranslate(view, -x0, -160, -z0);
}

}  // namespace walkthrough
