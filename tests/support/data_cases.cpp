// SPDX-License-Identifier: MIT
// The crafted files: good files of each kind and one file per way a file can be wrong.
#include <climits>

#include "support/data_files.h"

namespace vxtest {

std::vector<CraftedFile> craftedSceneFiles() {
    const std::vector<ObjectSpec> two = {triangleObject("Sat", 0), triangleObject("Star", 2)};
    auto withCorner = [](int32_t corner) {
        ObjectSpec o = triangleObject("Sat", 0);
        o.faces[0].corners[1] = corner;
        return sceneFile({o});
    };
    auto withTexture = [](int32_t texture) { return sceneFile({triangleObject("Sat", texture)}); };
    auto withCounts = [](int32_t vertices, int32_t faces) {
        ObjectSpec o = triangleObject("Sat", 0);
        o.vertexCountField = vertices;
        o.faceCountField = faces;
        return sceneFile({o});
    };
    // Object blocks cut or padded by hand, then a count.
    auto blocks = [](const std::vector<ObjectSpec>& objects, long change, int32_t count) {
        Bytes bytes = sceneFile(objects);
        bytes.resize(size_t(long(bytes.size()) - 4 + change));
        putI32(bytes, count);
        return bytes;
    };
    ObjectSpec unterminated = triangleObject(std::string(24, 'N'), 0);
    return {
        {"good-reference.vx1", referenceScene(), true},
        {"good-empty.vx1", sceneFile({}), true},
        {"good-64-objects.vx1", sceneFile(std::vector<ObjectSpec>(64, triangleObject("Many", 0))), true},
        {"bad-empty-file.vx1", {}, false},
        {"bad-too-short.vx1", {1, 0, 0}, false},
        {"bad-count-65.vx1", sceneFile(two, 65), false},
        {"good-count-negative.vx1", sceneFile(two, -1), true},
        {"good-count-most-negative.vx1", sceneFile({}, INT_MIN), true},
        {"bad-count-claims-missing-object.vx1", sceneFile(two, 3), false},
        {"bad-name-unterminated.vx1", sceneFile({unterminated}), false},
        {"bad-vertex-count-negative.vx1", withCounts(-3, 1), false},
        {"bad-face-count-negative.vx1", withCounts(3, -1), false},
        {"bad-vertex-count-beyond-file.vx1", withCounts(1000000, 1), false},
        {"bad-counts-overflow.vx1", withCounts(INT_MAX, INT_MAX), false},
        {"bad-vertex-index-past-end.vx1", withCorner(3), false},
        {"bad-vertex-index-negative.vx1", withCorner(-1), false},
        {"bad-vertex-index-huge.vx1", withCorner(INT_MAX), false},
        {"bad-texture-index-128.vx1", withTexture(128), false},
        {"bad-texture-index-negative.vx1", withTexture(-1), false},
        {"bad-face-cut-short.vx1", blocks({triangleObject("Sat", 0)}, -10, 1), false},
        {"good-bytes-before-count.vx1", blocks(two, 4, 2), true},
    };
}

std::vector<CraftedFile> craftedTextureFiles() {
    const TextureSpec red = solidTexture(2, 2, {0x3800});
    // A 2x2 texture whose header says otherwise.
    auto header = [&red](int32_t width, int32_t height, int32_t drawMode, int32_t frameCount) {
        TextureSpec t = red;
        t.width = width;
        t.height = height;
        t.drawMode = drawMode;
        t.frameCount = frameCount;
        return textureFile({t});
    };
    auto withTexel = [&red](uint16_t texel) {
        TextureSpec t = red;
        t.frames[0][3] = texel;
        return textureFile({t});
    };
    auto resized = [](Bytes bytes, long change) {
        bytes.resize(size_t(long(bytes.size()) + change));
        return bytes;
    };
    return {
        {"good-reference.vx2", referenceTextures(), true},
        {"good-empty.vx2", textureFile({}), true},
        {"good-one-texel.vx2", textureFile({solidTexture(1, 1, {0x3FE0})}), true},
        {"bad-empty-file.vx2", {}, false},
        {"bad-count-cut.vx2", {1, 0}, false},
        {"bad-count-129.vx2", textureFile({red}, 129), false},
        {"good-count-negative.vx2", textureFile({red}, -5), true},
        {"bad-count-claims-missing-texture.vx2", textureFile({red, red}, 3), false},
        {"bad-header-cut.vx2", resized(textureFile({red}), -22), false},
        {"bad-width-zero.vx2", header(0, 2, 0, 1), false},
        {"bad-height-zero.vx2", header(2, 0, 0, 1), false},
        {"good-width-48.vx2", textureFile({solidTexture(48, 2, {0x3800})}), true},
        {"bad-width-negative.vx2", header(-8, 2, 0, 1), false},
        {"bad-size-product-wraps.vx2", header(65536, 65536, 0, 1), false},
        {"bad-size-too-many-texels.vx2", header(512, 256, 0, 1), false},
        {"bad-frame-count-zero.vx2", header(2, 2, 0, 0), false},
        {"bad-frame-count-negative.vx2", header(2, 2, 0, -1), false},
        {"bad-frame-count-huge.vx2", header(128, 128, 0, INT_MAX), false},
        {"bad-frames-beyond-file.vx2", header(2, 2, 0, 4), false},
        {"bad-frame-cut-short.vx2", resized(textureFile({solidTexture(4, 4, {0x3800, 0x0700})}), -6), false},
        {"good-draw-mode-4.vx2", header(2, 2, 4, 1), true},
        {"good-draw-mode-negative.vx2", header(2, 2, -1, 1), true},
        {"good-texel-shade-bits.vx2", withTexel(0x3801), true},
        {"good-texel-high-bits.vx2", withTexel(0xC000), true},
        {"good-bytes-after-last-texture.vx2", resized(textureFile({red}), 1), true},
    };
}

std::vector<CraftedFile> craftedTgaFiles() {
    auto tga = [](auto change) {
        TgaImage image;
        change(image);
        return tgaFile(image);
    };
    Bytes cutPixels = tgaFile(TgaImage{});
    cutPixels.resize(cutPixels.size() - 100);
    Bytes cutMap = tga([](TgaImage& s) { s.colourMapEntries = 65535; });
    cutMap.resize(18 + 300);
    return {
        {"good-64x32.tga", tga([](TgaImage& s) { s.width = 64, s.height = 32; }), true},
        {"good-id-and-colour-map.tga",
         tga([](TgaImage& s) { s.id = "made by hand", s.colourMapEntries = 4; }), true},
        {"bad-empty-file.tga", {}, false},
        {"bad-header-cut.tga", Bytes(10, 0), false},
        {"bad-type-10.tga", tga([](TgaImage& s) { s.imageType = 10; }), false},
        {"bad-32-bit.tga", tga([](TgaImage& s) { s.bitsPerPixel = 32; }), false},
        {"bad-colour-mapped.tga", tga([](TgaImage& s) { s.imageType = 1, s.bitsPerPixel = 8; }), false},
        {"bad-48x32.tga", tga([](TgaImage& s) { s.width = 48, s.height = 32; }), false},
        {"bad-width-zero.tga", tga([](TgaImage& s) { s.width = 0; }), false},
        {"bad-pixels-cut.tga", cutPixels, false},
        {"bad-colour-map-beyond-file.tga", cutMap, false},
    };
}

}  // namespace vxtest
