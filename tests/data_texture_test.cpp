// SPDX-License-Identifier: MIT
// The texture file: header fields and wrap masks, the count limit, the average colour, the
// frame animation, entries that keep their place across loads, and every crafted bad file
// rejected with the tables left as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

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
    EXPECT_EQ(r.width, 4);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.drawMode, 3);
    EXPECT_EQ(r.backfaceCull, 7);
    EXPECT_EQ(r.frameCount, 2);
    EXPECT_EQ(r.frameDelay, -4);
    EXPECT_EQ(r.frameIndex, 0);
    EXPECT_EQ(r.frameTimer, 0);
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.texels, r.frames[0].get());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.frames[1][i], t.frames[1][size_t(i)]) << i;
    EXPECT_EQ(r.averageColor, kRed);  // from the first frame only
}

TEST_F(TextureFile, MasksWrapCoordinatesAtTheSize) {
    const std::vector<TextureSpec> sizes = {solidTexture(2, 2, {0}), solidTexture(128, 64, {0}),
                                            solidTexture(1, 1, {0}), solidTexture(4096, 16, {0}),
                                            solidTexture(256, 256, {0})};
    ASSERT_EQ(loadTextureFile(dir.write("sizes.vx2", textureFile(sizes))), 1) << lastLoadError().reason;
    EXPECT_EQ(TextureTable[0].uMask, 0x10000u);
    EXPECT_EQ(TextureTable[0].vMask, 0x20000u);
    EXPECT_EQ(TextureTable[1].uMask, 0x7F0000u);
    EXPECT_EQ(TextureTable[1].vMask, 0x1F800000u);
    EXPECT_EQ(TextureTable[2].uMask, 0u);
    EXPECT_EQ(TextureTable[2].vMask, 0u);
    EXPECT_EQ(TextureTable[3].uMask, 0x0FFF0000u);
    EXPECT_EQ(TextureTable[3].vMask, 0xF0000000u);
    // The largest frame: the two masks together still address every texel and no more.
    EXPECT_EQ((TextureTable[4].uMask + TextureTable[4].vMask) >> 16, 65535u);
}

TEST_F(TextureFile, OneHundredTwentyEightTexturesFitAndOneMoreDoesNot) {
    std::vector<TextureSpec> textures(128, solidTexture(1, 1, {kWhite}));
    textures.back().drawMode = 2;
    ASSERT_EQ(loadTextureFile(dir.write("128.vx2", textureFile(textures))), 1);
    EXPECT_EQ(textureCount, 128);
    EXPECT_EQ(TextureTable[127].drawMode, 2);

    const TableSnapshot before = TableSnapshot::take();
    textures.push_back(solidTexture(1, 1, {kWhite}));
    const auto path = dir.write("129.vx2", textureFile(textures));
    EXPECT_EQ(loadTextureFile(path), 0);
    expectRejectedCleanly(path, before);
    EXPECT_EQ(textureCount, 128);
    EXPECT_EQ(lastLoadError().offset, 0);
}

TEST_F(TextureFile, AverageColourIsTakenAtFullShade) {
    EXPECT_EQ(TextureTable[0].averageColor, kRed);  // red shows as 248, which maps back to red
    // White (248, 252, 248) and colour 0 at full shade (24, 28, 24) average to
    // (136, 140, 136): 4, 4, 4 in three bits.
    TextureSpec mixed = solidTexture(2, 1, {kWhite});
    mixed.frames[0][1] = 0;
    // Truncating division: 15 texels of red component 1 (red 56 at full shade) among 49 of
    // colour 0 (red 24) average to red 2016 / 64 = 31.5, which truncates to 31, red component
    // 0; rounding would make it 32, component 1.
    TextureSpec edge = solidTexture(8, 8, {0});
    std::fill_n(edge.frames[0].begin(), 15, uint16_t(0x0800));
    ASSERT_EQ(loadTextureFile(dir.write("avg.vx2", textureFile({mixed, edge}))), 1);
    EXPECT_EQ(TextureTable[0].averageColor, makeColorIndex(136, 140, 136));
    EXPECT_EQ(TextureTable[0].averageColor, ((4 * 8 + 4) * 8 + 4) * 32);
    EXPECT_EQ(TextureTable[1].averageColor, 0);
    EXPECT_EQ(textureAverageColor(nullptr), 0);
    EXPECT_EQ(textureAverageColor(&TextureTable[100]), 0);  // an empty entry
}

TEST_F(TextureFile, AnimationChangesFrameEveryDelaySteps) {
    TextureSpec three = solidTexture(2, 2, {kRed, kWhite, 0x00E0});
    three.frameDelay = 2;
    TextureSpec eager = solidTexture(2, 2, {kRed, kWhite});
    eager.frameDelay = 0;
    ASSERT_EQ(loadTextureFile(dir.write("anim.vx2", textureFile({three, eager}))), 1);
    Texture& t = TextureTable[0];
    std::vector<int> shown{t.frameIndex};
    for (int step = 0; step < 6; ++step) {
        advanceTextureFrame(nullptr, &t);  // the context is not used
        shown.push_back(t.frameIndex);
        EXPECT_EQ(t.texels, t.frames[size_t(t.frameIndex)].get());
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 1, 2, 2, 0}));
    EXPECT_EQ(t.averageColor, kRed);  // not recomputed

    Texture& e = TextureTable[1];
    advanceTextureFrame(nullptr, &e);
    EXPECT_EQ(e.frameIndex, 1);
    advanceTextureFrame(nullptr, &e);
    EXPECT_EQ(e.frameIndex, 0);
    advanceTextureFrame(nullptr, &TextureTable[100]);  // empty entry: nothing to show
    advanceTextureFrame(nullptr, nullptr);
    EXPECT_EQ(TextureTable[100].texels, nullptr);
}

TEST_F(TextureFile, EntriesKeepTheirPlaceSoFacesFollowNewContents) {
    const MeshFace& keyedFace = findSceneObject("Sat")->faces[1];
    ASSERT_EQ(keyedFace.texture, &TextureTable[1]);
    ASSERT_EQ(loadTextureFile(dir.write("new.vx2", textureFile({solidTexture(8, 8, {0}), solidTexture(16, 8, {kWhite}),
                                                                 solidTexture(2, 2, {kRed})}))),
              1);
    EXPECT_EQ(keyedFace.texture, &TextureTable[1]);
    EXPECT_EQ(keyedFace.texture->width, 16);
    EXPECT_EQ(keyedFace.texture->texels[0], kWhite);
    EXPECT_EQ(checkSceneTextures(), 1);

    ASSERT_EQ(loadTextureFile(dir.write("empty.vx2", textureFile({}))), 1);
    EXPECT_EQ(textureCount, 0);
    EXPECT_EQ(TextureTable[1].texels, nullptr);
    EXPECT_EQ(TextureTable[1].frames.size(), 0u);
    EXPECT_EQ(checkSceneTextures(), 0);
}

TEST_F(TextureFile, EveryCraftedFileIsAcceptedOrRejectedCleanly) {
    for (const CraftedFile& file : craftedTextureFiles()) {
        SCOPED_TRACE(file.name);
        ASSERT_EQ(loadTextureFile(texturePath), 1);
        const TableSnapshot before = TableSnapshot::take();
        const auto path = committedPath("texture", file.name);
        if (file.accepted) {
            EXPECT_EQ(loadTextureFile(path), 1) << lastLoadError().reason;
        } else {
            EXPECT_EQ(loadTextureFile(path), 0);
            expectRejectedCleanly(path, before);
        }
    }
}

TEST_F(TextureFile, ErrorsNameTheOffendingField) {
    struct Case {
        const char* name;
        int64_t offset;
    };
    // The first texture's header starts at 4: width, height, draw mode, cull, frames, delay.
    for (const Case c : {Case{"bad-count-129.vx2", 0}, Case{"bad-width-48.vx2", 4},
                         Case{"bad-size-product-wraps.vx2", 4}, Case{"bad-draw-mode-4.vx2", 12},
                         Case{"bad-frame-count-zero.vx2", 20}, Case{"bad-frame-count-huge.vx2", 20},
                         Case{"bad-frames-beyond-file.vx2", 20},
                         Case{"bad-texel-shade-bits.vx2", 4 + 24 + 3 * 2},
                         Case{"bad-bytes-after-last-texture.vx2", 4 + 24 + 8}}) {
        EXPECT_EQ(loadTextureFile(committedPath("texture", c.name)), 0);
        EXPECT_EQ(lastLoadError().offset, c.offset) << c.name << ": " << lastLoadError().reason;
    }
}

TEST_F(TextureFile, CutAndSpoiledFilesNeverLeaveAHalfLoadedTable) {
    const Bytes good = referenceTextures();
    TableSnapshot before = TableSnapshot::take();
    for (size_t length = 0; length < good.size(); ++length) {
        const auto path = dir.write("cut.vx2", Bytes(good.begin(), good.begin() + long(length)));
        ASSERT_EQ(loadTextureFile(path), 0) << length;
        expectRejectedCleanly(path, before);
    }
    for (size_t at = 0; at < good.size(); ++at) {
        Bytes spoiled = good;
        spoiled[at] ^= 0x5A;
        const auto path = dir.write("spoiled.vx2", spoiled);
        if (loadTextureFile(path) == 1) {
            ASSERT_EQ(loadTextureFile(texturePath), 1);
            before = TableSnapshot::take();
        } else {
            expectRejectedCleanly(path, before);
        }
    }
}

TEST(TextureSeeds, CommittedCopiesMatchTheCatalogue) {
    expectCommittedCopies("texture", craftedTextureFiles());
}

}  // namespace
}  // namespace vxtest
