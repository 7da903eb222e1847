// SPDX-License-Identifier: MIT
// The crafted files: one good file of each kind and one file per way a file can be wrong.
#include <climits>

#include "support/data_files.h"

namespace vxtest {

namespace {

std::vector<ObjectSpec> twoObjects() {
    return {triangleObject("Sat", 0), triangleObject("Star", 2)};
}

// Object blocks, then a count written by hand (for files that cut blocks short).
Bytes withCount(Bytes blocks, int32_t count) {
    putI32(blocks, count);
    return blocks;
}

Bytes blocksOf(const std::vector<ObjectSpec>& objects) {
    Bytes bytes = sceneFile(objects);
    bytes.resize(bytes.size() - 4);
    return bytes;
}

ObjectSpec withFace(FaceSpec face) {
    ObjectSpec object = triangleObject("Sat", 0);
    object.faces = {face};
    return object;
}

FaceSpec faceWithCorner(int32_t corner) {
    FaceSpec face;
    face.corners = {0, corner, 2};
    return face;
}

FaceSpec faceOnTexture(int32_t texture) {
    FaceSpec face;
    face.texture = texture;
    return face;
}

ObjectSpec withCounts(int32_t vertices, int32_t faces) {
    ObjectSpec object = triangleObject("Sat", 0);
    object.vertexCountField = vertices;
    object.faceCountField = faces;
    return object;
}

}  // namespace

std::vector<CraftedFile> craftedSceneFiles() {
    ObjectSpec unterminated = triangleObject("Sat", 0);
    unterminated.name = std::string(24, 'N');
    Bytes cutFace = blocksOf({triangleObject("Sat", 0)});
    cutFace.resize(cutFace.size() - 10);
    Bytes trailing = blocksOf(twoObjects());
    trailing.insert(trailing.end(), 4, 0);
    std::vector<ObjectSpec> many(64, triangleObject("Many", 0));
    return {
        {"good-reference.vx1", referenceScene(), true},
        {"good-empty.vx1", sceneFile({}), true},
        {"good-64-objects.vx1", sceneFile(many), true},
        {"bad-empty-file.vx1", {}, false},
        {"bad-too-short.vx1", {1, 0, 0}, false},
        {"bad-count-65.vx1", sceneFile(twoObjects(), 65), false},
        {"bad-count-negative.vx1", sceneFile(twoObjects(), -1), false},
        {"bad-count-most-negative.vx1", sceneFile({}, INT_MIN), false},
        {"bad-count-claims-missing-object.vx1", sceneFile(twoObjects(), 3), false},
        {"bad-name-unterminated.vx1", sceneFile({unterminated}), false},
        {"bad-vertex-count-negative.vx1", sceneFile({withCounts(-3, 1)}), false},
        {"bad-face-count-negative.vx1", sceneFile({withCounts(3, -1)}), false},
        {"bad-vertex-count-beyond-file.vx1", sceneFile({withCounts(1000000, 1)}), false},
        {"bad-counts-overflow.vx1", sceneFile({withCounts(INT_MAX, INT_MAX)}), false},
        {"bad-vertex-index-past-end.vx1", sceneFile({withFace(faceWithCorner(3))}), false},
        {"bad-vertex-index-negative.vx1", sceneFile({withFace(faceWithCorner(-1))}), false},
        {"bad-vertex-index-huge.vx1", sceneFile({withFace(faceWithCorner(INT_MAX))}), false},
        {"bad-texture-index-128.vx1", sceneFile({withFace(faceOnTexture(128))}), false},
        {"bad-texture-index-negative.vx1", sceneFile({withFace(faceOnTexture(-1))}), false},
        {"bad-face-cut-short.vx1", withCount(cutFace, 1), false},
        {"bad-bytes-before-count.vx1", withCount(trailing, 2), false},
    };
}

namespace {

TextureSpec withHeader(int32_t width, int32_t height, int32_t drawMode, int32_t frameCount) {
    TextureSpec t = solidTexture(2, 2, {0x3800});
    t.width = width;
    t.height = height;
    t.drawMode = drawMode;
    t.frameCount = frameCount;
    return t;
}

TextureSpec withTexel(uint16_t texel) {
    TextureSpec t = solidTexture(2, 2, {0x3800});
    t.frames[0][3] = texel;
    return t;
}

}  // namespace

std::vector<CraftedFile> craftedTextureFiles() {
    const TextureSpec red = solidTexture(2, 2, {0x3800});
    Bytes cutHeader = textureFile({red});
    cutHeader.resize(14);
    Bytes cutFrame = textureFile({solidTexture(4, 4, {0x3800, 0x0700})});
    cutFrame.resize(cutFrame.size() - 6);
    Bytes trailing = textureFile({red});
    trailing.push_back(0);
    return {
        {"good-reference.vx2", referenceTextures(), true},
        {"good-empty.vx2", textureFile({}), true},
        {"good-one-texel.vx2", textureFile({solidTexture(1, 1, {0x3FE0})}), true},
        {"bad-empty-file.vx2", {}, false},
        {"bad-count-cut.vx2", {1, 0}, false},
        {"bad-count-129.vx2", textureFile({red}, 129), false},
        {"bad-count-negative.vx2", textureFile({}, -5), false},
        {"bad-count-claims-missing-texture.vx2", textureFile({red, red}, 3), false},
        {"bad-header-cut.vx2", cutHeader, false},
        {"bad-width-zero.vx2", textureFile({withHeader(0, 2, 0, 1)}), false},
        {"bad-height-zero.vx2", textureFile({withHeader(2, 0, 0, 1)}), false},
        {"bad-width-48.vx2", textureFile({withHeader(48, 2, 0, 1)}), false},
        {"bad-width-negative.vx2", textureFile({withHeader(-8, 2, 0, 1)}), false},
        {"bad-size-product-wraps.vx2", textureFile({withHeader(65536, 65536, 0, 1)}), false},
        {"bad-size-too-many-texels.vx2", textureFile({withHeader(512, 256, 0, 1)}), false},
        {"bad-frame-count-zero.vx2", textureFile({withHeader(2, 2, 0, 0)}), false},
        {"bad-frame-count-negative.vx2", textureFile({withHeader(2, 2, 0, -1)}), false},
        {"bad-frame-count-huge.vx2", textureFile({withHeader(128, 128, 0, INT_MAX)}), false},
        {"bad-frames-beyond-file.vx2", textureFile({withHeader(2, 2, 0, 4)}), false},
        {"bad-frame-cut-short.vx2", cutFrame, false},
        {"bad-draw-mode-4.vx2", textureFile({withHeader(2, 2, 4, 1)}), false},
        {"bad-draw-mode-negative.vx2", textureFile({withHeader(2, 2, -1, 1)}), false},
        {"bad-texel-shade-bits.vx2", textureFile({withTexel(0x3801)}), false},
        {"bad-texel-high-bits.vx2", textureFile({withTexel(0xC000)}), false},
        {"bad-bytes-after-last-texture.vx2", trailing, false},
    };
}

std::vector<CraftedFile> craftedTgaFiles() {
    TgaSpec good;
    good.width = 64;
    good.height = 32;
    TgaSpec withExtras;
    withExtras.id = "made by hand";
    withExtras.colourMapEntries = 4;
    TgaSpec rle;
    rle.imageType = 10;
    TgaSpec alpha;
    alpha.bitsPerPixel = 32;
    TgaSpec mapped;
    mapped.imageType = 1;
    mapped.bitsPerPixel = 8;
    TgaSpec wide;
    wide.width = 48;
    wide.height = 32;
    TgaSpec empty;
    empty.width = 0;
    Bytes cutPixels = tgaFile(TgaSpec{});
    cutPixels.resize(cutPixels.size() - 100);
    TgaSpec hugeMap;
    hugeMap.colourMapEntries = 65535;
    Bytes cutMap = tgaFile(hugeMap);
    cutMap.resize(18 + 300);
    return {
        {"good-64x32.tga", tgaFile(good), true},
        {"good-id-and-colour-map.tga", tgaFile(withExtras), true},
        {"bad-empty-file.tga", {}, false},
        {"bad-header-cut.tga", Bytes(10, 0), false},
        {"bad-type-10.tga", tgaFile(rle), false},
        {"bad-32-bit.tga", tgaFile(alpha), false},
        {"bad-colour-mapped.tga", tgaFile(mapped), false},
        {"bad-48x32.tga", tgaFile(wide), false},
        {"bad-width-zero.tga", tgaFile(empty), false},
        {"bad-pixels-cut.tga", cutPixels, false},
        {"bad-colour-map-beyond-file.tga", cutMap, false},
    };
}

}  // namespace vxtest
