// SPDX-License-Identifier: MIT
// The static world: a grid of up to 1024 cells with bounding boxes, drawn front to back with
// visibility and occlusion tests.
//
// The grid works in 32 bits, so worlds reaching any 16-bit coordinate (-32768..32767) build
// every face. A vertex the near road of renderWorldNear left in the near zone (depth marker 1,
// no screen position this frame) drops the faces of the farther cells that share it, as that
// road's own depth test would.
//
// buildWorld returns 0 when built (also for an empty world) and 2 when a 1025th cell or a face
// list would be needed; the cells made so far stay valid. Division counts below 1 are rejected
// with 2 before anything changes. Nothing is allocated while drawing. A World must start zeroed
// (static storage, or `new World()`), or be built successfully before it is drawn.
#pragma once

#include <cstdint>
#include <memory>

#include "types.h"

namespace veloxia {

struct WorldCell {
    Bounds bounds;
    std::unique_ptr<MeshFace*[]> faces;  // the cell's faces, allocated by the build
    int32_t faceCount;
};

struct WorldNode {
    WorldCell* cell;
    WorldNode* next;
};

struct WorldBucket {
    int32_t count;
    WorldNode* head;
    WorldNode* tail;
};

inline constexpr int kMaxWorldCells = 1024;
inline constexpr int kWorldBuckets = 65;

struct World {
    Vec3 boxMin, boxMax;   // extent of all world vertices
    SceneObject* objects;  // the objects given to the build
    int32_t objectCount;
    WorldCell cells[kMaxWorldCells];
    int32_t cellCount;
    WorldBucket buckets[kWorldBuckets];  // by centre depth, 128 units each
    WorldNode nodes[kMaxWorldCells];
    int32_t nodeCount;
    // Frame counter of the last build or render. Vertex stamps hold only the low 16 bits of a
    // frame, so when a render finds the high bits changed since, it marks every world vertex
    // unprocessed: a stamp left 65536 frames ago is never taken for this frame's.
    uint32_t stampFrame;
};

int buildWorld(World* world, SceneObject* objects, int32_t objectCount, int32_t divX, int32_t divY, int32_t divZ);
// addWorldCell and centroidInBox read a vertex position from sx, sy, depth, where buildWorld copies
// the model position before it cuts the grid.
int addWorldCell(World* world, Vec3* boxMin, Vec3* boxMax);  // 1 success, 0 failure; boxes become the tight box
bool centroidInBox(const MeshFace* face, const Vec3* boxMin, const Vec3* boxMax);  // half-open
void setBoundsCorners(Bounds* bounds, const Vec3* boxMin, const Vec3* boxMax);
void expandBoxMin(Vec3* box, const Vec3* point);
void expandBoxMax(Vec3* box, const Vec3* point);
void objectBox(const SceneObject* object, Vec3* boxMin, Vec3* boxMax);  // needs at least one vertex
void buildObjectBounds(SceneObject* object);
void freeWorld(World* world);

// Figures of the last renderWorld or renderWorldNear call (reset at the start of each), for
// programs that show what the visibility and occlusion tests saved. They do not change any pixel.
struct WorldStats {
    int32_t cellsVisible;    // cells that passed cellVisible and were bucketed
    int32_t cellsDrawn;      // bucketed cells drawn (near cells of renderWorldNear included)
    int32_t cellsOccluded;   // bucketed cells skipped by cellUnoccluded
    int32_t facesSubmitted;  // faces handed to the face paths with all corners usable
};
extern WorldStats worldStats;

void renderWorld(World* world);      // everything through the installed filler
void renderWorldNear(World* world);  // near cells perspective-correct; leaves fillAffine installed
bool cellVisible(Bounds* bounds, bool testOcclusion);
bool cellUnoccluded(Bounds* bounds);
void bucketCell(World* world, WorldCell* cell);
void drawWorldCell(World* world, WorldCell* cell);

}  // namespace veloxia
