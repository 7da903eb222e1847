// SPDX-License-Identifier: MIT
// The default benchmark data, the readers' checks and vxpack info (byte_order_test pins the
// bytes of both files).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "default_data.h"
#include "files.h"
#include "info.h"
#include "support/vxpack_files.h"

namespace {

using namespace vxpack;

const std::filesystem::path kAssets = std::filesystem::path(VX_SOURCE_DIR) / "assets" / "sat";

const PackResult& defaultData() {
    static const PackResult result = buildDefaultData(kAssets);
    return result;
}

// Pinned so that any change of the assets, the packer or the generator shows; the same bytes
// must come out on every machine. After a deliberate change, update both values (vxpack info
// prints them).
TEST(DefaultData, BytesArePinned) {
    EXPECT_EQ(fnv1a64(sceneFileBytes(defaultData().scene)), 0xfb79d181bb20c2ecULL);
    EXPECT_EQ(fnv1a64(textureFileBytes(defaultData().textures)), 0xf8924ccc3ee3d165ULL);
}

TEST(DefaultData, TheBuildLeavesTheSameFilesBesideThePrograms) {
    const std::filesystem::path bin = std::filesystem::path(VX_BINARY_DIR) / "bin";
    ASSERT_TRUE(std::filesystem::exists(bin / kSceneFileName)) << "the build writes the data into " << bin;
    EXPECT_EQ(vxtest::readBytes(bin / kSceneFileName), sceneFileBytes(defaultData().scene));
    EXPECT_EQ(vxtest::readBytes(bin / kTextureFileName), textureFileBytes(defaultData().textures));
}

TEST(DefaultData, SatIsABenchmarkSizedSceneThatStaysInFrontOfTheNearPlane) {
    const auto& objects = defaultData().scene.objects;
    ASSERT_GE(objects.size(), 2u);
    EXPECT_EQ(objects[0].name, "Sat");
    const PackObject& sat = objects[0];
    EXPECT_GE(sat.faces.size(), 1000u);
    EXPECT_LE(sat.faces.size(), 1500u);
    // At the running screen's distance of 350 every vertex must stay at depth 65 or more.
    EXPECT_LT(radiusAboutPivot(sat), 285);
    // At the results screen's (200, 200, -800) it must stay within the depth range too.
    EXPECT_LT(800 + radiusAboutPivot(sat), 8191);
}

TEST(DefaultData, TexturesCoverTheDrawModesAndBothCullSettings) {
    const auto& textures = defaultData().textures.textures;
    ASSERT_GE(textures.size(), 4u);
    std::set<int32_t> modes, culls;
    for (const auto& t : textures) {
        modes.insert(t.drawMode);
        culls.insert(t.backfaceCull);
        ASSERT_EQ(t.frames.size(), 1u);
        ASSERT_EQ(t.frames[0].size(), static_cast<size_t>(t.width * t.height));
        for (uint16_t texel : t.frames[0]) ASSERT_EQ(texel & 31, 0) << "texels carry shade level 0";
    }
    EXPECT_EQ(modes, (std::set<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(culls, (std::set<int32_t>{0, 1}));
    // The keyed textures really have holes.
    for (const auto& t : textures) {
        if (t.drawMode & 1) {
            EXPECT_NE(std::count(t.frames[0].begin(), t.frames[0].end(), 0), 0);
        }
    }
}

TEST(FileLayout, ReadersRejectFilesWhoseBlocksDoNotAddUp) {
    Bytes scene = sceneFileBytes(defaultData().scene);
    EXPECT_NO_THROW(parseSceneFile(scene));
    Bytes shorter(scene.begin() + 1, scene.end());
    EXPECT_THROW(parseSceneFile(shorter), PackError);
    Bytes textures = textureFileBytes(defaultData().textures);
    textures.push_back(0);
    EXPECT_THROW(parseTextureFile(textures), PackError);
    textures.resize(textures.size() - 3);
    EXPECT_THROW(parseTextureFile(textures), PackError);
    EXPECT_THROW(parseSceneFile(Bytes{1, 2}), PackError);
}

TEST(Info, ListsObjectsAndTexturesOfTheDefaultData) {
    const std::string scene = describeScene("veloxia3dbench1", sceneFileBytes(defaultData().scene));
    EXPECT_EQ(scene.rfind("scene file veloxia3dbench1: 2 objects, ", 0), 0u) << scene;
    EXPECT_NE(scene.find("  0  Sat "), std::string::npos) << scene;
    EXPECT_NE(scene.find("  1  Moon "), std::string::npos) << scene;
    EXPECT_NE(scene.find("faces per texture: 0:"), std::string::npos) << scene;
    const std::string textures = describeTextures("veloxia3dbench2", textureFileBytes(defaultData().textures));
    EXPECT_EQ(textures.rfind("texture file veloxia3dbench2: 10 textures, ", 0), 0u) << textures;
    EXPECT_NE(textures.find("keyed+averaged"), std::string::npos);
    EXPECT_EQ(std::count(textures.begin(), textures.end(), '\n'), 13);
    // Each file is named by its SHA-256, as the benchmark's results name the data a run used.
    EXPECT_NE(textures.find("  SHA-256 " + sha256Of(textureFileBytes(defaultData().textures)) + "\n"), std::string::npos);
    EXPECT_NE(scene.find("  SHA-256 " + sha256Of(sceneFileBytes(defaultData().scene)) + "\n"), std::string::npos);
    EXPECT_NE(scene.find("triangles"), std::string::npos);
}

TEST(Info, TellsTheKindOfFileByWhichReadingAddsUp) {
    vxtest::TempDir dir;
    const auto scene = dir / "a";
    const auto textures = dir / "b";
    writeFileAtomically(scene, sceneFileBytes(defaultData().scene));
    writeFileAtomically(textures, textureFileBytes(defaultData().textures));
    EXPECT_EQ(describeFile(scene, FileKind::guess).rfind("scene file", 0), 0u);
    EXPECT_EQ(describeFile(textures, FileKind::guess).rfind("texture file", 0), 0u);
    EXPECT_THROW(describeFile(scene, FileKind::textures), PackError);
    const auto junk = dir.write("junk", "not a data file at all");
    EXPECT_THROW(describeFile(junk, FileKind::guess), PackError);
}

}  // namespace
