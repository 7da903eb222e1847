// SPDX-License-Identifier: MIT
// World render: cells rejected by their projected boxes, sorted into depth buckets, tested for
// occlusion against what is already drawn, and drawn nearest bucket first.
#include <veloxia/display.h>
#include <veloxia/lights.h>
#include <veloxia/matrix.h>
#include <veloxia/pipeline.h>
#include <veloxia/raster.h>
#include <veloxia/world.h>

#include <algorithm>

#include "engine/wrap.h"
#include "pipeline/vertex_stage.h"

namespace veloxia {

WorldStats worldStats;

namespace {

// Depth ranges of view z: box corners are kept in -8704..-64, vertices projected in -8191..-65.
constexpr int32_t kCornerFar = -8704;
constexpr int32_t kCornerNear = -64;
constexpr int32_t kNearestLimit = 8192;  // cells whose nearest corner lies deeper are not drawn
constexpr int kOcclusionStep = 6;        // sample spacing; a second grid is shifted by half of it

// Buckets 0..4 of renderWorldNear go through the near-plane road, 5..12 stay perspective.
constexpr int kNearBuckets = 5;
constexpr int kPerspectiveBuckets = 13;

void drawBucketRange(World* world, int first, int last) {
    for (int d = first; d <= last; ++d) {
        WorldBucket& bucket = world->buckets[d];
        WorldNode* node = bucket.head;
        for (int32_t i = 0; i < bucket.count; ++i, node = node->next) {
            if (cellUnoccluded(&node->cell->bounds)) {
                drawWorldCell(world, node->cell);
                ++worldStats.cellsDrawn;
            } else {
                ++worldStats.cellsOccluded;
            }
        }
        bucket.count = 0;
    }
}

// Stamps keep 16 bits of the frame: once the high bits have moved on since the world was last
// drawn, every world vertex is marked unprocessed, so that no stamp set 65536 frames ago (or a
// multiple) matches this frame and hands on a stale screen position.
void renewStamps(World* world) {
    const uint32_t frame = renderContext.frameCounter;
    if ((frame >> 16) != (world->stampFrame >> 16)) {
        for (int32_t i = 0; i < world->cellCount; ++i) {
            const WorldCell& cell = world->cells[i];
            for (int32_t k = 0; k < cell.faceCount; ++k) {
                for (FaceCorner& corner : cell.faces[k]->corner) static_cast<MeshVertex*>(corner.vertex)->stamp = -1;
            }
        }
    }
    world->stampFrame = frame;
}

void bucketVisibleCells(World* world) {
    renewStamps(world);
    worldStats = WorldStats{};
    world->nodeCount = 0;
    for (int32_t i = 0; i < world->cellCount; ++i) {
        WorldCell* cell = &world->cells[i];
        if (cellVisible(&cell->bounds, false)) {
            bucketCell(world, cell);
            ++worldStats.cellsVisible;
        }
    }
}

}  // namespace

void renderWorld(World* world) {
    bucketVisibleCells(world);
    drawBucketRange(world, 0, kWorldBuckets - 1);
}

void renderWorldNear(World* world) {
    bucketVisibleCells(world);
    renderContext.fillTriangle = fillPerspective;
    // Near cells: every face through the near-plane road, no occlusion test.
    for (int d = 0; d < kNearBuckets; ++d) {
        WorldBucket& bucket = world->buckets[d];
        WorldNode* node = bucket.head;
        for (int32_t i = 0; i < bucket.count; ++i, node = node->next) {
            WorldCell* cell = node->cell;
            for (int32_t k = 0; k < cell->faceCount; ++k) renderFaceClipped(&renderContext, cell->faces[k]);
            worldStats.facesSubmitted += cell->faceCount;
            ++worldStats.cellsDrawn;
        }
        bucket.count = 0;
    }
    drawBucketRange(world, kNearBuckets, kPerspectiveBuckets - 1);
    renderContext.fillTriangle = fillAffine;
    drawBucketRange(world, kPerspectiveBuckets, kWorldBuckets - 1);
}

bool cellVisible(Bounds* bounds, bool testOcclusion) {
    const Mat34* m = matrixStack.top;
    int32_t minX = 0, maxX = 0, minY = 0, maxY = 0, nearest = 0;
    int kept = 0;
    for (const Vec3& corner : bounds->corners) {
        Vec3 view;
        matTransformZ(m, &corner, &view);
        if (view.z < kCornerFar || view.z > kCornerNear) continue;
        matTransformXY(m, &corner, &view);
        // ProjectionLut ends at depth 8703: a corner at exactly 8704 is projected at 8703.
        const int16_t v[3] = {view.x, view.y, std::max<int16_t>(view.z, kCornerFar + 1)};
        ProjectedVertex p{};
        renderContext.project(v, &p);
        if (kept == 0) {
            minX = maxX = p.sx;
            minY = maxY = p.sy;
            nearest = p.depth;
        } else {
            minX = std::min<int32_t>(minX, p.sx);
            maxX = std::max<int32_t>(maxX, p.sx);
            minY = std::min<int32_t>(minY, p.sy);
            maxY = std::max<int32_t>(maxY, p.sy);
            nearest = std::min<int32_t>(nearest, p.depth);
        }
        ++kept;
    }
    if (kept == 0) return false;
    bounds->screenMinX = low16(minX);
    bounds->screenMaxX = low16(maxX);
    bounds->screenMinY = low16(minY);
    bounds->screenMaxY = low16(maxY);
    bounds->nearestDepth = low16(nearest);
    if (nearest > kNearestLimit) return false;
    if (kept == 8) {
        if (minX >= kBufferWidth || maxX <= 0 || minY >= kBufferHeight || maxY <= 0) return false;
        bounds->allCornersProjected = 1;
    } else {
        // The rectangle of a partly projected box is unreliable: only boxes far outside go.
        if (minX >= 2 * kBufferWidth || maxX <= -kBufferWidth || minY >= 2 * kBufferHeight ||
            maxY <= -kBufferHeight) {
            return false;
        }
        bounds->allCornersProjected = 0;
    }
    return testOcclusion ? cellUnoccluded(bounds) : true;
}

bool cellUnoccluded(Bounds* bounds) {
    if (bounds->allCornersProjected == 0) return true;  // no usable rectangle
    if (bounds->screenMinX < 0) bounds->screenMinX = 0;
    if (bounds->screenMaxX >= kBufferWidth) bounds->screenMaxX = kBufferWidth - 1;
    if (bounds->screenMinY < 0) bounds->screenMinY = 0;
    if (bounds->screenMaxY >= kBufferHeight) bounds->screenMaxY = kBufferHeight - 1;
    // Whole cells compare as signed: depth in the high half, so T <= cell means the stored depth is
    // at least the box's nearest depth and the box may show there.
    const int32_t t = wrapShl(bounds->nearestDepth, 16);
    for (int offset = 0; offset < kOcclusionStep; offset += kOcclusionStep / 2) {
        for (int32_t y = bounds->screenMinY + offset; y <= bounds->screenMaxY; y += kOcclusionStep) {
            const uint32_t* row = &FrameBuffer[y * kBufferWidth];
            for (int32_t x = bounds->screenMinX + offset; x <= bounds->screenMaxX; x += kOcclusionStep) {
                if (t <= int32_t(row[x])) return true;
            }
        }
    }
    return false;
}

// Bucket d takes centres 128 d .. 128 d + 127 in front of the eye; centres behind the eye go to 0,
// from 8192 on to 64. A frame holds at most kMaxWorldCells nodes; further calls are ignored.
void bucketCell(World* world, WorldCell* cell) {
    if (world->nodeCount >= kMaxWorldCells) return;
    Vec3 view;
    matTransformZ(matrixStack.top, &cell->bounds.centre, &view);
    const int d = std::clamp(sar(-int32_t(view.z), 7), 0, kWorldBuckets - 1);
    WorldNode* node = &world->nodes[world->nodeCount++];
    node->cell = cell;
    node->next = nullptr;
    WorldBucket& bucket = world->buckets[d];
    if (bucket.count == 0) {
        bucket.head = node;
    } else {
        bucket.tail->next = node;
    }
    bucket.tail = node;
    ++bucket.count;
}

void drawWorldCell(World*, WorldCell* cell) {
    RenderContext* rc = &renderContext;
    const Mat34* m = matrixStack.top;
    const uint32_t frame = rc->frameCounter;
    const bool lit = lightCount != 0;
    for (int32_t i = 0; i < cell->faceCount; ++i) {
        MeshFace* face = cell->faces[i];
        bool usable = true;
        for (FaceCorner& corner : face->corner) {
            MeshVertex* v = static_cast<MeshVertex*>(corner.vertex);
            if (frameStampMatches(v->stamp, frame)) {  // never the build's -1, as on the near road
                // Rejected, or left in the near zone by the near road with no screen position.
                if (v->depth == 0 || v->depth == pipeline::kNearMarker) usable = false;
            } else {
                v->stamp = frameStamp(frame);
                const Vec3 model{v->x, v->y, v->z};
                Vec3 view;
                matTransformZ(m, &model, &view);
                v->vz = view.z;
                if (view.z >= -64 || view.z <= -8192) {
                    v->depth = 0;
                    usable = false;
                } else {
                    matTransformXY(m, &model, &view);
                    v->vx = view.x;
                    v->vy = view.y;
                    const int16_t viewPos[3] = {view.x, view.y, view.z};
                    rc->project(viewPos, v);
                    int32_t level = v->light;
                    if (lit) {
                        // This road lights the model position with the normal as stored.
                        const int16_t position[3] = {v->x, v->y, v->z};
                        const int16_t normal[3] = {v->nx, v->ny, v->nz};
                        level = wrapAdd(level, lightSum(position, normal));
                    }
                    v->shade = rc->shade(v->depth, level);
                }
            }
            if (!usable) break;  // the face's later corners stay untouched
        }
        if (!usable) continue;
        ++worldStats.facesSubmitted;
        if (face->texture->drawMode < 2) {
            drawFaceNow(rc, face);
        } else {
            queueFace(rc, face);
        }
    }
}

}  // namespace veloxia
