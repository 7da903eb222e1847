// SPDX-License-Identifier: MIT
// Records shared by every subsystem of the engine.
//
// Fixed-width fields in the order the engine's files and tables define them. The 32-byte
// sizes of MeshVertex and the file forms of MeshFace are file sizes: in memory a MeshFace
// holds native pointers. Records that own storage (SceneObject, Texture) are move-only, so a
// copy can never leave a face pointing at another object's vertices.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace veloxia {

// Working buffer and screen geometry.
inline constexpr int kBufferWidth = 320;   // FrameBuffer columns (landscape)
inline constexpr int kBufferHeight = 240;  // FrameBuffer rows
inline constexpr int kBufferCells = kBufferWidth * kBufferHeight;
inline constexpr int kScreenWidth = 240;   // portrait screen columns
inline constexpr int kScreenHeight = 320;  // portrait screen rows

// Depth limits of view z (the eye looks along -z; a projected vertex's depth is -z).
inline constexpr int32_t kFarthestViewZ = -8191;  // the deepest view z any road projects
inline constexpr int32_t kNearestViewZ = -65;     // the nearest the object, immediate and cell roads project
inline constexpr int32_t kNearPlaneZ = -64;       // the near road projects down to this; nearer is its near zone
inline constexpr int32_t kBehindNearZoneZ = 336;  // the near road drops a face with a corner from here on
inline constexpr int32_t kFarthestDepth = -kFarthestViewZ;

// A position or direction: three signed 16-bit components.
struct Vec3 {
    int16_t x, y, z;
};

// 3x4 affine matrix: entries 0..8 the 3x3 part column by column in 2.14 fixed point
// (row r, column c at 3c + r), entries 9..11 the translation in plain view units.
using Mat34 = std::array<int16_t, 12>;

// The part of a vertex the fillers read: screen column, screen row, depth (-view z,
// 0 = rejected this frame, 1 = near-zone marker on the world road) and shade level 1..31.
struct ProjectedVertex {
    int16_t sx, sy, depth, shade;
};

// A scene vertex, 32 bytes in the scene file. The first eight fields are written per frame.
struct MeshVertex : ProjectedVertex {
    int16_t vx, vy, vz;        // view-space position
    int16_t stamp;             // low 16 bits of the frame counter when last processed (world road)
    int16_t x, y, z;           // model-space position
    int16_t light;             // base light level 0..31
    int16_t nx, ny, nz;        // vertex normal, read only while lights are on
    int16_t lightSaved;        // working copy of light kept by the light effects
};
static_assert(sizeof(MeshVertex) == 32, "MeshVertex is 32 bytes, as in the scene file");

struct Texture;

// One corner of a face: its vertex and its texture coordinate in 12.4 fixed point
// (sixteenths of a texel). Corners are numbered 0 (a), 1 (b), 2 (c).
struct FaceCorner {
    ProjectedVertex* vertex;
    int16_t u, v;
};

// A triangle. `cell` is the owning world cell, -1 while unassigned.
struct MeshFace {
    FaceCorner corner[3];
    Texture* texture;
    int32_t cell;
};

// A texture: draw mode, cull flag, wrap masks and its animation frames of ColorIndex texels
// with shade level 0.
struct Texture {
    int32_t backfaceCull;  // non-zero: faces using it are dropped when they face away
    int32_t width;         // texels per row, a power of two
    int32_t height;        // rows, a power of two
    int32_t drawMode;      // 0 opaque, 1 texel 0 transparent, 2 averaged, 3 averaged with texel 0 transparent
    uint32_t uMask;        // (width - 1) << 16: mask of a 16.16 u
    uint32_t vMask;        // ((height - 1) << 16) * width: mask of a 16.16 v already times width
    uint16_t* texels;      // the frame shown now
    std::vector<std::unique_ptr<uint16_t[]>> frames;  // frameCount frames, owned
    uint16_t averageColor; // average ColorIndex of the first frame (the flat filler's colour)
    int32_t frameCount;
    int32_t frameIndex;    // frame shown now
    int32_t frameDelay;    // animation steps per frame change
    int32_t frameTimer;    // steps since the last frame change
};

// Bounding box of a world cell or a scene object, with the screen rectangle of its last
// visibility test.
struct Bounds {
    Vec3 corners[8];  // corner k: x from max when k & 1, z from max when k & 2, y from max when k & 4
    Vec3 centre;      // (min + max) >> 1 per axis
    int16_t screenMinX, screenMinY, screenMaxX, screenMaxY;
    int16_t nearestDepth;         // smallest projected corner depth
    int16_t allCornersProjected;  // 1 when all eight corners were in the depth range
};

// A named mesh of the scene file.
struct SceneObject {
    Mat34 matrix;          // the object's own placement
    char name[24];         // zero-terminated, at most 23 characters
    uint16_t active;       // set to 1 by the loader
    uint16_t worldMember;  // non-zero: part of the world build and the light effects
    int32_t vertexCount;
    std::unique_ptr<MeshVertex[]> vertices;
    int32_t faceCount;
    std::unique_ptr<MeshFace[]> faces;  // corners point into vertices, textures into TextureTable
    Bounds bounds;
};

}  // namespace veloxia
