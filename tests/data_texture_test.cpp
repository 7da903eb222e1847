// SPDX-License-Identifier: MIT
// The texture file: header fields and wrap masks, the count limit, the average colour, the
// frame animation, entries that keep their place across loads, and every crafted bad file
// rejected with the tables left as they were.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/data_fixture.h"
#include "veloxia/data.h"
#include "veloxia/display.h"

namespace vxtest {
namespace {

using namespace veloxia;

using TextureFile = LoadedReference;

constexpr uint16_t kRed = 0x3800;    // makeColorIndex(255, 0, 0)
constexpr uint16_t kWhite = 0x3FE0;  // makeColorIndex(255, 255, 255)

TEST_F(TextureFile, HeaderFieldsAndFramesLandInTheRecord) {
    TextureSpec t = solidTexture(4, 2, {kRed, kWhite});
    t.drawMode = 3;
    t.backfaceCull = 7;
    t.frameDelay = -4;
    t.frames[1] = {0x0020, 0x0040, 0x0100, 0x0800, 0x1000, 0x2000, 0x3FE0, 0x0000};
    ASSERT_EQ(loadTextureFile(dir.write("t.vx2", textureFile({solidTexture(1, 1, {0}), t}))), 1);
    ASSERT_EQ(textureCount, 2);
    const Texture& r = TextureTable[1];
    EXPECT_EQ((std::array{r.width, r.height, r.drawMode, r.backfaceCull, r.frameCount, r.frameDelay}),
              (std::array{4, 2, 3, 7, 2, -4}));
    EXPECT_EQ(r.frameIndex, 0);
    EXPECT_EQ(r.frameTimer, 0);
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.texels, r.frames[0].get());
    EXPECT_TRUE(std::equal(t.frames[1].begin(), t.frames[1].end(), r.frames[1].get()));
    EXPECT_EQ(r.averageColor, kRed);  // from the first frame only
}

TEST_F(TextureFile, MasksWrapCoordinatesAtTheSize) {
    const std::vector<TextureSpec> sizes = {solidTexture(2, 2, {0}), solidTexture(128, 64, {0}),
                                            solidTexture(1, 1, {0}), solidTexture(4096, 16, {0}),
                                            solidTexture(256, 256, {0})};
    ASSERT_EQ(loadTextureFile(dir.write("sizes.vx2", textureFile(sizes))), 1) << lastLoadError().reason;
    const std::pair<uint32_t, uint32_t> expected[] = {
        {0x10000, 0x20000}, {0x7F0000, 0x1F800000}, {0, 0}, {0x0FFF0000, 0xF0000000}, {0xFF0000, 0xFF000000}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(TextureTable[i].uMask, expected[i].first) << i;
        EXPECT_EQ(TextureTable[i].vMask, expected[i].second) << i;
    }
}

TEST_F(TextureFile, OneHundredTwentyEightTexturesFitAndOneMoreDoesNot) {
    std::vector<TextureSpec> textures(128, solidTexture(1, 1, {kWhite}));
    textures.back().drawMode = 2;
    ASSERT_EQ(loadTextureFile(dir.write("128.vx2", textureFile(textures))), 1);
    EXPECT_EQ(textureCount, 128);
    EXPECT_EQ(TextureTable[127].drawMode, 2);

    const auto before = tableSnapshot();
    const auto path = dir.write("129.vx2", textureFile(textures, 129));
    EXPECT_EQ(loadTextureFile(path), 0);
    EXPECT_EQ(lastLoadError().offset, 0);
    expectRejectedCleanly(path, before);
}

TEST_F(TextureFile, AverageColourIsTakenAtFullShade) {
    EXPECT_EQ(TextureTable[0].averageColor, kRed);  // red shows as 248, which maps back to red
    // White (248, 252, 248) and colour 0 at full shade (24, 28, 24) average to (136, 140, 136).
    TextureSpec mixed = solidTexture(2, 1, {kWhite});
    mixed.frames[0][1] = 0;
    // Truncating division: 15 texels of red component 1 (red 56 at full shade) among 49 of
    // colour 0 (red 24) average to red 2016 / 64 = 31.5, which truncates to 31, red component
    // 0; rounding would make it 32, component 1.
    TextureSpec edge = solidTexture(8, 8, {0});
    std::fill_n(edge.frames[0].begin(), 15, uint16_t(0x0800));
    ASSERT_EQ(loadTextureFile(dir.write("avg.vx2", textureFile({mixed, edge}))), 1);
    EXPECT_EQ(TextureTable[0].averageColor, makeColorIndex(136, 140, 136));
    EXPECT_EQ(TextureTable[1].averageColor, 0);
    EXPECT_EQ(textureAverageColor(&TextureTable[100]), 0);  // an empty entry
}

TEST_F(TextureFile, AnimationChangesFrameEveryDelaySteps) {
    TextureSpec three = solidTexture(2, 2, {kRed, kWhite, 0x00E0});
    three.frameDelay = 2;
    TextureSpec eager = solidTexture(2, 2, {kRed, kWhite});  // delay 0
    ASSERT_EQ(loadTextureFile(dir.write("anim.vx2", textureFile({three, eager}))), 1);
    std::vector<int> shown{TextureTable[0].frameIndex}, eagerShown;
    for (int step = 0; step < 6; ++step) {
        advanceTextureFrame(nullptr, &TextureTable[0]);  // the context is not used
        advanceTextureFrame(nullptr, &TextureTable[1]);
        shown.push_back(TextureTable[0].frameIndex);
        eagerShown.push_back(TextureTable[1].frameIndex);
        EXPECT_EQ(TextureTable[0].texels, TextureTable[0].frames[size_t(shown.back())].get());
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 1, 2, 2, 0}));
    EXPECT_EQ(eagerShown, (std::vector<int>{1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(TextureTable[0].averageColor, kRed);  // not recomputed
    advanceTextureFrame(nullptr, &TextureTable[100]);  // empty entry: nothing to show
    EXPECT_EQ(TextureTable[100].texels, nullptr);
}

TEST_F(TextureFile, EntriesKeepTheirPlaceSoFacesFollowNewContents) {
    const MeshFace& keyedFace = findSceneObject("Sat")->faces[1];
    ASSERT_EQ(keyedFace.texture, &TextureTable[1]);
    const Bytes next =
        textureFile({solidTexture(8, 8, {0}), solidTexture(16, 8, {kWhite}), solidTexture(2, 2, {kRed})});
    ASSERT_EQ(loadTextureFile(dir.write("new.vx2", next)), 1);
    EXPECT_EQ(keyedFace.texture, &TextureTable[1]);
    EXPECT_EQ(keyedFace.texture->width, 16);
    EXPECT_EQ(keyedFace.texture->texels[0], kWhite);
    EXPECT_EQ(checkSceneTextures(), 1);

    ASSERT_EQ(loadTextureFile(dir.write("empty.vx2", textureFile({}))), 1);
    EXPECT_EQ(TextureTable[1].texels, nullptr);  // emptied, still in place
    EXPECT_EQ(TextureTable[1].frames.size(), 0u);
    EXPECT_EQ(checkSceneTextures(), 0);
}

TEST_F(TextureFile, EveryCraftedFileIsAcceptedOrRejectedCleanly) {
    loadEveryCrafted("texture", craftedTextureFiles(), loadTextureFile, texturePath);
    EXPECT_EQ(loadTextureFile(committedPath("texture", "bad-frame-cut-short.vx2")), 0);
    expectRenderable();
}

TEST_F(TextureFile, ErrorsNameTheOffendingField) {
    // The first texture's header starts at 4: width, height, draw mode, cull, frames, delay.
    const std::pair<const char*, int64_t> cases[] = {
        {"bad-width-zero.vx2", 4}, {"bad-size-product-wraps.vx2", 4}, {"bad-frame-count-zero.vx2", 20},
        {"bad-frame-count-huge.vx2", 20}, {"bad-frames-beyond-file.vx2", 20}};
    for (const auto& [name, offset] : cases) {
        EXPECT_EQ(loadTextureFile(committedPath("texture", name)), 0);
        EXPECT_EQ(lastLoadError().offset, offset) << name << ": " << lastLoadError().reason;
    }
    // Too many texels in all is refused for the size limit.
    EXPECT_EQ(loadTextureFile(committedPath("texture", "bad-size-too-many-texels.vx2")), 0);
    const std::string& reason = lastLoadError().reason;
    EXPECT_NE(reason.find("131072 texels, more than the limit of 65536"), std::string::npos) << reason;
    EXPECT_EQ(reason.find("power of two"), std::string::npos) << reason;
}

// What the original runs is kept as read: draw modes beyond 0..3 (the fillers give them
// meaning), texels with shade or high bits, sides that are not powers of two, any number of
// frames the file holds, bytes after the last texture; a count of 0 or less loads nothing and
// succeeds.
TEST_F(TextureFile, EverythingTheFormatAllowsIsKeptAsRead) {
    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-draw-mode-4.vx2")), 1);
    EXPECT_EQ(TextureTable[0].drawMode, 4);
    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-draw-mode-negative.vx2")), 1);
    EXPECT_EQ(TextureTable[0].drawMode, -1);
    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-texel-shade-bits.vx2")), 1);
    EXPECT_EQ(TextureTable[0].texels[3], 0x3801);
    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-texel-high-bits.vx2")), 1);
    EXPECT_EQ(TextureTable[0].texels[3], 0xC000);
    // A side that is not a power of two wraps unevenly through the masks, but inside the texture.
    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-width-48.vx2")), 1);
    EXPECT_EQ(TextureTable[0].uMask, 47u << 16);
    EXPECT_EQ(TextureTable[0].vMask, 48u << 16);
    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-bytes-after-last-texture.vx2")), 1);
    EXPECT_EQ(textureCount, 1);
    EXPECT_EQ(TextureTable[0].texels[0], kRed);

    TextureSpec long_ = solidTexture(1, 1, std::vector<uint16_t>(5000, kWhite));
    ASSERT_EQ(loadTextureFile(dir.write("frames.vx2", textureFile({long_}))), 1) << lastLoadError().reason;
    EXPECT_EQ(TextureTable[0].frameCount, 5000);

    ASSERT_EQ(loadTextureFile(committedPath("texture", "good-count-negative.vx2")), 1);
    EXPECT_EQ(textureCount, 0);
    EXPECT_EQ(TextureTable[0].texels, nullptr);
    EXPECT_TRUE(lastLoadError().reason.empty());
}

TEST_F(TextureFile, CutAndSpoiledFilesNeverLeaveAHalfLoadedTable) {
    const size_t size = referenceTextures().size();
    cutAndSpoil(referenceTextures(), 0x5A, loadTextureFile, [&](size_t at) {
        ASSERT_GE(at, size) << "a cut file loaded";
        ASSERT_EQ(loadTextureFile(texturePath), 1);
    });
}

TEST(TextureSeeds, CommittedCopiesMatchTheCatalogue) {
    expectCommittedCopies("texture", craftedTextureFiles());
}

}  // namespace
}  // namespace vxtest
