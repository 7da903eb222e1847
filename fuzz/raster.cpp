// SPDX-License-Identifier: MIT
// The fillers and the lines with corners anywhere: off the screen, out of row order, on one
// row, at any depth, and textures of every size and draw mode (or none). Nothing may be read
// or written outside the tables, the texture or the FrameBuffer.
#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

ProjectedVertex corner(ByteReader& in) {
    const int16_t sx = in.coordinate(), sy = in.coordinate();
    const int16_t depth = in.flag() ? int16_t(in.range(0, 8703)) : in.i16();
    return {sx, sy, depth, int16_t(in.range(0, 31))};  // shade levels are 0..31 by the slots' contract
}

void fill(ByteReader& in, const std::vector<std::unique_ptr<OwnedTexture>>& textures) {
    static const FillTriangleFn fillers[] = {fillAffine, fillPerspective, fillFlat, fillWire};
    const FillTriangleFn filler = fillers[in.below(4)];
    const ProjectedVertex a = corner(in), b = corner(in), c = corner(in);
    const int32_t pick = in.below(int32_t(textures.size()) + 1);
    const Texture* texture = pick < int32_t(textures.size()) ? &textures[size_t(pick)]->texture : nullptr;
    int uv[6];  // read in order: the order of a call's arguments is not fixed
    for (int& value : uv) value = in.i16();
    filler(&a, uv[0], uv[1], &b, uv[2], uv[3], &c, uv[4], uv[5], texture);
}

void line(ByteReader& in) {
    int x0 = in.coordinate(), y0 = in.coordinate(), x1 = in.coordinate(), y1 = in.coordinate();
    const uint32_t value = in.u32();
    switch (in.below(3)) {
    case 0:
        drawLine(x0, y0, x1, y1, value);
        break;
    case 1:  // drawLineX needs x0 < x1
        if (x0 > x1) std::swap(x0, x1), std::swap(y0, y1);
        if (x0 < x1) drawLineX(x0, y0, x1, y1, value);
        break;
    default:  // drawLineY needs y0 < y1
        if (y0 > y1) std::swap(x0, x1), std::swap(y0, y1);
        if (y0 < y1) drawLineY(x0, y0, x1, y1, value);
        break;
    }
}

}  // namespace

int raster(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    static const uint32_t clears[] = {0, 0x10000000, 0x20000000, 0xFFFF0000};
    resetEngine(clears[in.below(4)]);
    std::vector<std::unique_ptr<OwnedTexture>> textures;
    for (int32_t n = in.range(1, 3); n > 0; --n) textures.push_back(makeTexture(in));
    textures.back()->texture.texels = in.flag() ? nullptr : textures.back()->texture.texels;  // a texture without texels
    for (int op = 0; op < 24 && !in.empty(); ++op) {
        if (in.below(4) == 0)
            line(in);
        else
            fill(in, textures);
    }
    return 0;
}

}  // namespace vxfuzz
