// SPDX-License-Identifier: MIT
// Triangle fillers and lines.
//
// The fillers expect corners sorted by row (a.sy <= b.sy <= c.sy, c.sy > a.sy), as the face
// classification delivers them, and clip to the 320x240 buffer themselves. The bottom row and
// the right end column of every span are never drawn. Values are 16.16 fixed point: x, shade,
// depth, u, v * width; the perspective quantities w, u/w and v/w are scaled as the fillers
// define them. Whatever a caller passes, nothing is read or written outside a table, the
// texture or the FrameBuffer, provided the texture's masks match its texels:
//  - corners out of row order are sorted by row; a null vertex or texture (or null texels for
//    the textured fillers) draws nothing;
//  - a span wider than 8191 columns is cut in halves until each fits the reciprocal table;
//  - fillPerspective textures a vertex depth below 33 as 33 and above 8191 as 8191 (the depth
//    test keeps the real depth), and masks its per-pixel table index;
//  - the span routines draw rows 0..239 only.
#pragma once

#include <cstdint>

#include "types.h"

namespace veloxia {

int fillAffine(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
               const ProjectedVertex* c, int uc, int vc, const Texture* texture);
int fillPerspective(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
                    const ProjectedVertex* c, int uc, int vc, const Texture* texture);
int fillFlat(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
             const ProjectedVertex* c, int uc, int vc, const Texture* texture);
int fillWire(const ProjectedVertex* a, int ua, int va, const ProjectedVertex* b, int ub, int vb,
             const ProjectedVertex* c, int uc, int vc, const Texture* texture);

void spanAffine(int32_t uL, int32_t vL, int32_t uR, int32_t vR, int32_t xL, int32_t y, int32_t xR,
                int32_t sL, int32_t sR, int32_t zL, int32_t zR, const Texture* texture);
void spanPerspective(int32_t wL, int32_t wR, int32_t uwL, int32_t vwL, int32_t uwR, int32_t vwR,
                     int32_t xL, int32_t y, int32_t xR, int32_t sL, int32_t sR, int32_t zL, int32_t zR,
                     const Texture* texture);
void spanFlat(int32_t xL, int32_t y, int32_t xR, int32_t sL, int32_t sR, int32_t zL, int32_t zR,
              uint16_t colour, int32_t mode);

void drawLine(int x0, int y0, int x1, int y1, uint32_t value);   // whole cells, no depth test
void drawLineX(int x0, int y0, int x1, int y1, uint32_t value);  // x0 < x1: one cell per column
void drawLineY(int x0, int y0, int x1, int y1, uint32_t value);  // y0 < y1: one cell per row

}  // namespace veloxia
