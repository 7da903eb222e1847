// SPDX-License-Identifier: MIT
// World build: the faces of the world objects cut into grid boxes by centroid, one cell with a
// tight bounding box for every non-empty box.
//
// The build copies every world vertex's model position into its sx, sy, depth fields and reads
// positions from there (a face corner points at those fields), so building again after drawing
// first reloads the model positions that the renderer overwrote.
#include <veloxia/engine.h>
#include <veloxia/world.h>

#include <new>

#include "engine/wrap.h"

namespace veloxia {
namespace {

// An object takes part in the world when it is marked and has faces.
bool takesPart(const SceneObject& o) { return o.worldMember != 0 && o.faceCount > 0 && o.faces; }

Vec3 positionOf(const ProjectedVertex* v) { return Vec3{v->sx, v->sy, v->depth}; }

template <typename F>
void forEachFace(World* world, F f) {
    for (int32_t i = 0; i < world->objectCount; ++i) {
        SceneObject& o = world->objects[i];
        if (!takesPart(o)) continue;
        for (int32_t k = 0; k < o.faceCount; ++k) f(o.faces[k]);
    }
}

// Unassigns every face, marks every vertex unprocessed, reloads the positions and measures the world.
void resetWorldObjects(World* world) {
    world->boxMin = Vec3{32767, 32767, 32767};
    world->boxMax = Vec3{-32767, -32767, -32767};
    forEachFace(world, [world](MeshFace& face) {
        face.cell = -1;
        for (FaceCorner& corner : face.corner) {
            // World faces point at the MeshVertex records of their object.
            MeshVertex* v = static_cast<MeshVertex*>(corner.vertex);
            v->stamp = -1;
            v->sx = v->x;
            v->sy = v->y;
            v->depth = v->z;
            const Vec3 p{v->x, v->y, v->z};
            expandBoxMin(&world->boxMin, &p);
            expandBoxMax(&world->boxMax, &p);
        }
    });
}

}  // namespace

void expandBoxMin(Vec3* box, const Vec3* point) {
    if (point->x < box->x) box->x = point->x;
    if (point->y < box->y) box->y = point->y;
    if (point->z < box->z) box->z = point->z;
}

void expandBoxMax(Vec3* box, const Vec3* point) {
    if (point->x > box->x) box->x = point->x;
    if (point->y > box->y) box->y = point->y;
    if (point->z > box->z) box->z = point->z;
}

void setBoundsCorners(Bounds* bounds, const Vec3* boxMin, const Vec3* boxMax) {
    for (int k = 0; k < 8; ++k) {
        bounds->corners[k] = Vec3{(k & 1) ? boxMax->x : boxMin->x, (k & 4) ? boxMax->y : boxMin->y,
                                  (k & 2) ? boxMax->z : boxMin->z};
    }
    bounds->centre = Vec3{low16(sar(boxMin->x + boxMax->x, 1)), low16(sar(boxMin->y + boxMax->y, 1)),
                          low16(sar(boxMin->z + boxMax->z, 1))};
}

namespace {

// A grid box in 32 bits: the end of the last box along an axis may lie past 32767.
struct GridBox {
    int32_t lo[3], hi[3];
};

GridBox widened(const Vec3& lo, const Vec3& hi) { return {{lo.x, lo.y, lo.z}, {hi.x, hi.y, hi.z}}; }

bool centroidInGrid(const MeshFace& face, const GridBox& box) {
    const Vec3 a = positionOf(face.corner[0].vertex);
    const Vec3 b = positionOf(face.corner[1].vertex);
    const Vec3 c = positionOf(face.corner[2].vertex);
    // Division truncates toward zero: -1, -1, 0 average to 0.
    const int32_t centroid[3] = {low16((a.x + b.x + c.x) / 3), low16((a.y + b.y + c.y) / 3),
                                 low16((a.z + b.z + c.z) / 3)};
    // Half-open: a centroid on the boundary of two boxes belongs to the upper one.
    for (int axis = 0; axis < 3; ++axis) {
        if (centroid[axis] < box.lo[axis] || centroid[axis] >= box.hi[axis]) return false;
    }
    return true;
}

// addWorldCell on a grid box; the tight box of the new cell is written to tightMin, tightMax.
int addCell(World* world, const GridBox& box, Vec3* tightMin, Vec3* tightMax) {
    const int32_t index = world->cellCount;
    int32_t n = 0;
    forEachFace(world, [&](MeshFace& face) {
        if (face.cell == -1 && centroidInGrid(face, box)) {
            face.cell = index;
            ++n;
        }
    });
    if (n == 0) return 1;
    if (index >= kMaxWorldCells) return 0;
    WorldCell& cell = world->cells[index];
    cell.faces.reset(new (std::nothrow) MeshFace*[size_t(n)]);
    if (!cell.faces) return 0;

    int32_t filled = 0;
    forEachFace(world, [&](MeshFace& face) {
        if (face.cell == index) cell.faces[filled++] = &face;
    });
    // The tight box of the cell's vertices; it may reach beyond the grid box.
    *tightMin = *tightMax = positionOf(cell.faces[0]->corner[0].vertex);
    for (int32_t i = 0; i < n; ++i) {
        for (const FaceCorner& corner : cell.faces[i]->corner) {
            const Vec3 p = positionOf(corner.vertex);
            expandBoxMin(tightMin, &p);
            expandBoxMax(tightMax, &p);
        }
    }
    setBoundsCorners(&cell.bounds, tightMin, tightMax);
    cell.faceCount = n;
    world->cellCount = index + 1;
    return 1;
}

}  // namespace

bool centroidInBox(const MeshFace* face, const Vec3* boxMin, const Vec3* boxMax) {
    return centroidInGrid(*face, widened(*boxMin, *boxMax));
}

int addWorldCell(World* world, Vec3* boxMin, Vec3* boxMax) {
    return addCell(world, widened(*boxMin, *boxMax), boxMin, boxMax);
}

// Division counts below 1 would give grid steps that never advance: such a call builds nothing
// and returns 2, leaving the world as it was.
int buildWorld(World* world, SceneObject* objects, int32_t objectCount, int32_t divX, int32_t divY, int32_t divZ) {
    if (divX < 1 || divY < 1 || divZ < 1) return 2;
    world->objects = objects;
    world->objectCount = objectCount;
    resetWorldObjects(world);
    world->stampFrame = renderContext.frameCounter;  // every stamp is -1 now
    const Vec3 lo = world->boxMin, hi = world->boxMax;
    // Truncating division, + 1 so that the boxes together cover the whole world box.
    const int32_t stepX = (hi.x - lo.x) / divX + 1;
    const int32_t stepY = (hi.y - lo.y) / divY + 1;
    const int32_t stepZ = (hi.z - lo.z) / divZ + 1;
    world->cellCount = 0;
    if (lo.x <= hi.x) {
        for (int32_t x = lo.x; x <= hi.x; x += stepX) {
            for (int32_t y = lo.y; y <= hi.y; y += stepY) {
                for (int32_t z = lo.z; z <= hi.z; z += stepZ) {
                    // The box end stays in 32 bits: kept to 16 it would wrap past 32767 and
                    // the last box of a world reaching that far would hold no face.
                    const GridBox box{{x, y, z}, {x + stepX, y + stepY, z + stepZ}};
                    Vec3 tightMin, tightMax;
                    if (addCell(world, box, &tightMin, &tightMax) == 0) return 2;
                }
            }
        }
    }
    world->nodeCount = 0;
    for (WorldBucket& bucket : world->buckets) bucket.count = 0;
    return 0;
}

void objectBox(const SceneObject* object, Vec3* boxMin, Vec3* boxMax) {
    const MeshVertex* v = object->vertices.get();
    *boxMin = *boxMax = Vec3{v[0].x, v[0].y, v[0].z};
    for (int32_t i = 1; i < object->vertexCount; ++i) {
        const Vec3 p{v[i].x, v[i].y, v[i].z};
        expandBoxMin(boxMin, &p);
        expandBoxMax(boxMax, &p);
    }
}

void buildObjectBounds(SceneObject* object) {
    Vec3 boxMin, boxMax;
    objectBox(object, &boxMin, &boxMax);
    setBoundsCorners(&object->bounds, &boxMin, &boxMax);
}

// Releases the face lists. The cell count and face counts drop to 0 as well, so a world drawn
// after being freed draws nothing instead of reading released lists.
void freeWorld(World* world) {
    for (int32_t i = 0; i < world->cellCount; ++i) {
        WorldCell& cell = world->cells[i];
        if (cell.faceCount != 0) cell.faces.reset();
        cell.faceCount = 0;
    }
    world->cellCount = 0;
}

}  // namespace veloxia
