// SPDX-License-Identifier: MIT
// loadTga on the input as a file. The first byte picks the size check (bit 0) and the draw-mode
// flags in the file name (bits 1 and 2); the rest is the file. A loaded image must hold width x
// height ColorIndex texels at shade level 0 and the draw mode its name gives; one of a texture
// size is then drawn as a texture.
#include <algorithm>

#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

int tga(const uint8_t* data, size_t size) {
    static const bool ready = (resetEngine(), true);
    (void)ready;
    if (size == 0) return 0;
    static const char* const names[] = {"image.tga", "image#k.tga", "image#a.tga", "image#a#k.tga"};
    const int32_t checkSize = data[0] & 1;
    const auto path = scratchFile(names[(data[0] >> 1) & 3], {data + 1, size - 1});

    int32_t width = -1, height = -1, drawMode = -1;
    std::vector<uint16_t> texels;
    if (loadTga(path, width, height, texels, drawMode, checkSize) == 0) {
        check(!lastLoadError().reason.empty(), "a failed load gives a reason");
        return 0;
    }
    check(width > 0 && height > 0 && texels.size() == size_t(width) * size_t(height), "width x height texels");
    check(checkSize == 0 || isTextureSize(width, height) == 1, "the size check holds");
    check(drawMode == ((data[0] >> 1) & 3) && drawMode == tgaNameFlags(path), "the name gives the draw mode");
    check(std::all_of(texels.begin(), texels.end(), [](uint16_t t) { return (t & 0xC01F) == 0; }),
          "texels are ColorIndex values at shade level 0");
    if (isTextureSize(width, height) == 0) return 0;

    resetEngine();
    Texture t{};
    t.width = width;
    t.height = height;
    t.drawMode = drawMode;
    t.uMask = uint32_t(width - 1) << 16;
    t.vMask = (uint32_t(height - 1) << 16) * uint32_t(width);
    t.texels = texels.data();
    t.frameCount = 1;
    t.averageColor = textureAverageColor(&t);
    const ProjectedVertex a{0, 0, 100, 31}, b{319, 100, 100, 31}, c{30, 239, 100, 31};
    fillAffine(&a, 0, 0, &b, width * 16, 0, &c, 0, height * 16, &t);
    return 0;
}

}  // namespace vxfuzz
