// SPDX-License-Identifier: MIT
// loadTextureFile on the input as a file. A failed load must leave the table empty (as it was)
// with a reason; every loaded texture must have masks that match its texels, every frame its
// header names, and empty entries past the count. The loaded textures
// are then animated and drawn by every filler, which read texels through the masks.
#include <algorithm>

#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

void checkTexture(const Texture& t) {
    check(t.width >= 1 && t.height >= 1, "every texture holds texels");
    check(int64_t(t.width) * t.height <= kMaxTextureTexels, "frames are within the texel limit");
    check(t.uMask == uint32_t(t.width - 1) << 16, "uMask matches the width");
    check(t.vMask == (uint32_t(t.height - 1) << 16) * uint32_t(t.width), "vMask matches the height");
    check(t.frameCount >= 1 && size_t(t.frameCount) == t.frames.size(), "every frame is there");
    check(t.texels == t.frames[0].get() && t.frameIndex == 0 && t.frameTimer == 0, "the first frame shows");
    for (const auto& frame : t.frames) check(frame != nullptr, "every frame holds texels");
}

// Steps the animation through a whole cycle, checking that the shown frame is always one of them.
void animate(Texture& t) {
    const int64_t cycle = int64_t{std::min(t.frameCount, 8)} * std::max(t.frameDelay, 1);
    for (int64_t step = 0; step <= std::min<int64_t>(cycle, 64); ++step) {
        advanceTextureFrame(&renderContext, &t);
        check(t.frameIndex >= 0 && t.frameIndex < t.frameCount && t.texels == t.frames[size_t(t.frameIndex)].get(),
              "the animation shows one of the frames");
    }
}

// A small triangle with every filler, texture coordinates from the input.
void drawWith(const Texture& t, ByteReader& in) {
    const ProjectedVertex a{40, 20, 200, 31}, b{90, 45, 900, 16}, c{60, 70, 4000, 1};
    for (FillTriangleFn fill : {fillAffine, fillPerspective, fillFlat, fillWire}) {
        int uv[6];  // read in order: the order of a call's arguments is not fixed
        for (int& value : uv) value = in.i16();
        fill(&a, uv[0], uv[1], &b, uv[2], uv[3], &c, uv[4], uv[5], &t);
    }
}

}  // namespace

int textureFile(const uint8_t* data, size_t size) {
    static const std::filesystem::path emptyFile = [] {
        resetEngine();
        return scratchFile("empty.vx2", std::vector<uint8_t>(4, 0));
    }();
    resetEngine();
    freeTextures();  // replaced frames are kept until freed; one run must not keep the last one's
    check(loadTextureFile(emptyFile) == 1 && textureCount == 0, "the empty texture file loads");

    if (loadTextureFile(scratchFile("textures.vx2", {data, size})) == 0) {
        check(textureCount == 0, "a failed load leaves the table as it was");
        check(!lastLoadError().reason.empty(), "a failed load gives a reason");
        return 0;
    }
    check(textureCount >= 0 && textureCount <= kMaxTextures, "the texture count fits the table");
    ByteReader in(data, size);
    for (int32_t i = 0; i < kMaxTextures; ++i) {
        Texture& t = TextureTable[i];
        if (i >= textureCount) {
            check(t.texels == nullptr && t.frames.empty(), "entries past the count are empty");
            continue;
        }
        checkTexture(t);
        if (i < 8) {
            drawWith(t, in);
            animate(t);
        }
    }
    return 0;
}

}  // namespace vxfuzz
