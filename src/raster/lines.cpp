// SPDX-License-Identifier: MIT
// Lines and the wire-frame filler.
//
// Lines write whole FrameBuffer cells with no depth test, one cell per step along the major
// axis. The position along the minor axis is 16.16, its slope a ReciprocalLut lookup indexed by
// the major length AND 8191. The end with the larger major coordinate is never drawn; cells
// outside the screen are skipped one by one.
#include <veloxia/raster.h>

#include <algorithm>
#include <cstdlib>

#include <veloxia/display.h>
#include <veloxia/fixedmath.h>

#include "engine/wrap.h"

namespace veloxia {
namespace {

// The value fillWire draws: colour number 511 at shade level 31 and depth 0, so no later fill
// of depth 1 or more covers the wire.
constexpr uint32_t kWireValue = 16383;

// One cell per major step from m0 (included) to m1 (excluded). MajorCount and MinorCount are
// the screen's extent along each axis, MajorStride and MinorStride the cell distance of one
// step along it.
template <int MajorCount, int MinorCount, int MajorStride, int MinorStride>
void walkLine(int m0, int n0, int m1, int n1, uint32_t value) {
    if (m0 >= MajorCount || m1 < 0 || m0 >= m1) return;
    // 16.16 change of the minor coordinate per major step.
    const int32_t slope = sar(wrapMul(ReciprocalLut[wrapSub(m1, m0) & (kReciprocalLutSize - 1)], wrapSub(n1, n0)), 1);
    int32_t position = wrapShl(n0, 16);
    int major = m0;
    if (m0 < 0) {
        position = wrapAdd(position, wrapMul(slope, wrapNeg(m0)));
        major = 0;
    }
    const int end = std::min(m1, MajorCount);
    for (; major < end; ++major) {
        const int32_t minor = sar(position, 16);
        if (minor >= 0 && minor < MinorCount) FrameBuffer[major * MajorStride + minor * MinorStride] = value;
        position = wrapAdd(position, slope);
    }
}

}  // namespace

void drawLineX(int x0, int y0, int x1, int y1, uint32_t value) {
    walkLine<kBufferWidth, kBufferHeight, 1, kBufferWidth>(x0, y0, x1, y1, value);
}

void drawLineY(int x0, int y0, int x1, int y1, uint32_t value) {
    walkLine<kBufferHeight, kBufferWidth, kBufferWidth, 1>(y0, x0, y1, x1, value);
}

void drawLine(int x0, int y0, int x1, int y1, uint32_t value) {
    // 64-bit differences: any two int end points give a defined length.
    const int64_t dx = int64_t(x1) - x0;
    const int64_t dy = int64_t(y1) - y0;
    if (std::llabs(dx) < std::llabs(dy)) {
        if (dy < 0) {
            drawLineY(x1, y1, x0, y0, value);
        } else {
            drawLineY(x0, y0, x1, y1, value);
        }
    } else if (dx < 0) {
        drawLineX(x1, y1, x0, y0, value);
    } else {
        drawLineX(x0, y0, x1, y1, value);
    }
}

int fillWire(const ProjectedVertex* a, int, int, const ProjectedVertex* b, int, int,
             const ProjectedVertex* c, int, int, const Texture*) {
    if (!a || !b || !c) return 0;  // nothing to outline
    drawLine(a->sx, a->sy, b->sx, b->sy, kWireValue);
    drawLine(b->sx, b->sy, c->sx, c->sy, kWireValue);
    drawLine(c->sx, c->sy, a->sx, a->sy, kWireValue);
    return 0;
}

}  // namespace veloxia
