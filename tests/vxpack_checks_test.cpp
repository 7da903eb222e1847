// SPDX-License-Identifier: MIT
// What vxpack checks beyond the formats: models that rounding collapses, the default light,
// the engine's limits, blended faces against the queue, pairs of files that do not belong
// together, and dithering.
#include <gtest/gtest.h>

#include <cmath>

#include "checks.h"
#include "default_data.h"
#include "files.h"
#include "images.h"
#include "pack.h"
#include "support/vxpack_files.h"
#include "support/vxpack_pack.h"
#include "validate.h"

namespace {

using namespace vxpack;
using vxtest::TempDir;

std::string errorOf(const PackOptions& options) { return vxtest::packErrorOf(options); }

// A tetrahedron `size` units across.
std::string tetrahedron(double size) {
    const auto n = [&](double v) { return std::to_string(v * size); };
    return "v 0 0 0\nv " + n(1) + " 0 0\nv 0 " + n(1) + " 0\nv 0 0 " + n(1) + "\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";
}

TEST(Units, ModelsThatRoundingCollapsesAreRefusedWithTheirSizeAndTheFix) {
    TempDir dir;
    PackOptions options;
    options.inputs = {dir.write("bunny.obj", tetrahedron(0.15))};
    const std::string tiny = errorOf(options);
    EXPECT_NE(tiny.find("the model measures 0.15 x 0.15 x 0.15 units (as written in the file)"), std::string::npos) << tiny;
    EXPECT_NE(tiny.find("--fit R"), std::string::npos) << tiny;
    options.inputs = {dir.write("small.obj", tetrahedron(15))};  // a radius of 7.5
    EXPECT_NE(errorOf(options).find("a radius under 16"), std::string::npos);
    options.scale = 3;  // 45 units across
    EXPECT_EQ(packModels(options).scene.objects.size(), 1u);
    options.scale = 1;
    options.fitRadius = 200;
    const PackResult fitted = packModels(options);
    EXPECT_EQ(collapsedSceneWarning(fitted.scene), "");
    EXPECT_TRUE(fitted.warnings.empty());
    // As the benchmark's object, larger than the running screen shows whole: a warning.
    options.mergeInto = kBenchObjectName;
    options.fitRadius = kBenchObjectMaxRadius;
    const PackResult large = packModels(options);
    ASSERT_EQ(large.warnings.size(), 1u);
    EXPECT_NE(large.warnings[0].find("\"Sat\" reaches 28"), std::string::npos) << large.warnings[0];
    options.mergeInto.clear();

    // Rich detail in a small radius: more than a quarter of the positions merge. Positions a
    // hair apart (seams written twice) are one position already and do not count.
    std::string grid;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) grid += "v " + std::to_string(x * 0.45) + " " + std::to_string(y * 4) + " 0\n";
    for (int i = 0; i < 19 * 20; ++i)
        if (i % 20 != 19) grid += "f " + std::to_string(i + 1) + " " + std::to_string(i + 2) + " " + std::to_string(i + 21) + "\n";
    options.fitRadius = 0;
    options.inputs = {dir.write("dense.obj", grid)};
    const std::string dense = errorOf(options);
    EXPECT_NE(dense.find("distinct positions merge"), std::string::npos) << dense;
    options.inputs = {dir.write("seam.obj", tetrahedron(40) + "v 40.000001 0 0\nf 1 5 3\n")};
    EXPECT_EQ(errorOf(options), "no error");

    // validate says the same about files made elsewhere.
    PackScene collapsed;
    collapsed.objects.resize(1);
    collapsed.objects[0].name = "Sat";
    collapsed.objects[0].vertices.resize(3);
    collapsed.objects[0].faces.resize(4);
    EXPECT_NE(collapsedSceneWarning(collapsed).find("--fit"), std::string::npos);
}

TEST(Light, ModelsGetTheDefaultSunUnlessFlatOrGivenOneLevel) {
    TempDir dir;
    const auto obj = dir.write("two.obj", "v 0 0 0\nv 40 0 0\nv 0 40 0\nvn -0.45 0.6 0.66\nvn 0.45 -0.6 -0.66\n"
                                          "f 1//1 2//1 3//1\nf 1//2 3//2 2//2\n");
    PackOptions options;
    options.inputs = {obj};
    chooseLight(options, false, false, false);
    const auto lit = packModels(options).scene.objects[0].vertices;
    EXPECT_GE(lit.front().light, 30);                // facing the default sun
    EXPECT_EQ(lit.back().light, kDefaultAmbient);    // turned away from it
    EXPECT_EQ(kDefaultAmbient, defaultDataOptions(".").ambient);  // the Sat's own look
    EXPECT_EQ(kDefaultSun, defaultDataOptions(".").sun);

    chooseLight(options, false, false, true);  // --flat
    const PackResult flat = packModels(options);
    for (const auto& v : flat.scene.objects[0].vertices) EXPECT_EQ(v.light, 31);
    options.light = 10;
    chooseLight(options, true, false, false);  // --light 10 alone
    const PackResult level = packModels(options);
    for (const auto& v : level.scene.objects[0].vertices) EXPECT_EQ(v.light, 10);
    chooseLight(options, true, true, false);   // --light 10 --sun ...: below the ambient 14
    EXPECT_TRUE(options.bakeSun);
    EXPECT_NE(errorOf(options).find("give --ambient 10 or less"), std::string::npos);
}

TEST(Limits, FileSizesAreKnownBeforeWritingAndNamesSayTheFix) {
    TempDir dir;
    vxtest::writeSolidTga(dir / "t.tga", 16, 8, 1, 2, 3);
    dir.write("m.mtl", "newmtl t\nmap_Kd t.tga\nnewmtl glass\nKd 1 1 1\nd 0.5\n");
    PackOptions options;
    options.inputs = {dir.write("m.obj", "mtllib m.mtl\no Hull\n" + tetrahedron(40) + "o Window\nusemtl glass\nf 1 2 3\n")};
    const PackResult result = packModels(options);
    EXPECT_EQ(sceneFileSize(result.scene), static_cast<int64_t>(sceneFileBytes(result.scene).size()));
    EXPECT_EQ(textureFileSize(result.textures), static_cast<int64_t>(textureFileBytes(result.textures).size()));
    EXPECT_NO_THROW(checkFileSizes(result.scene, result.textures));

    // Too large a file: the size comes from the header fields, so the check needs no quarter
    // of a gigabyte of texels to see it.
    PackTextures many;
    many.textures.resize(1);
    many.textures[0].width = many.textures[0].height = 128;
    many.textures[0].frames.resize(11000);
    try {
        checkFileSizes(result.scene, many);
        ADD_FAILURE() << "no error";
    } catch (const PackError& e) {
        EXPECT_NE(std::string(e.what()).find("the texture file would hold 344 MiB, more than the 256 MiB"), std::string::npos)
            << e.what();
    }
}

// `count` faces of a material whose dissolve is 0.5, in one object.
PackResult blended(TempDir& dir, int count) {
    dir.write("b.mtl", "newmtl smoke\nKd 1 1 1\nd 0.5\nnewmtl solid\nKd 1 0 0\n");
    std::string obj = "mtllib b.mtl\no Cloud\nv 0 0 0\nv 40 0 0\nv 0 40 0\nusemtl solid\nf 1 2 3\nusemtl smoke\n";
    for (int i = 0; i < count; ++i) obj += "f 1 2 3\n";
    PackOptions options;
    options.inputs = {dir.write("b.obj", obj)};
    return packModels(options);
}

TEST(Blended, MoreThanTheQueueOrTheStoreHoldsIsAWarningThatSaysWhy) {
    TempDir dir;
    EXPECT_TRUE(blended(dir, kFaceStoreFaces).warnings.empty());
    const PackResult store = blended(dir, kFaceStoreFaces + 1);
    ASSERT_EQ(store.warnings.size(), 1u);
    EXPECT_NE(store.warnings[0].find("1025 faces are drawn blended (\"Cloud\" 1025)"), std::string::npos) << store.warnings[0];
    EXPECT_NE(store.warnings[0].find("1024 pieces of cut faces"), std::string::npos);
    const PackResult queue = blended(dir, kFaceQueueItems + 1);
    ASSERT_EQ(queue.warnings.size(), 1u);
    EXPECT_NE(queue.warnings[0].find("more than the 4096 the depth-sorted queue holds"), std::string::npos);
    EXPECT_NE(queue.warnings[0].find("material \"smoke\" (d 0.5 in its MTL)"), std::string::npos) << queue.warnings[0];
    EXPECT_EQ(blendedFaceCount(queue.scene, queue.textures), 4097u);

    // validate counts the same in the written files.
    writePair(queue, dir / "s", dir / "t");
    const Validation check = validatePair(dir / "s", dir / "t", "");
    EXPECT_TRUE(check.ok);
    ASSERT_EQ(check.warnings.size(), 1u) << check.warnings[0];
    EXPECT_NE(check.warnings[0].find("texture 1 (draw mode 2)"), std::string::npos) << check.warnings[0];
}

TEST(Validate, PairsThatDoNotBelongTogetherOrComeInTheWrongOrder) {
    TempDir dir;
    PackOptions options;
    dir.write("m.mtl", "newmtl a\nKd 1 0 0\nnewmtl b\nKd 0 1 0\nnewmtl c\nKd 0 0 1\n");
    options.inputs = {dir.write("three.obj", "mtllib m.mtl\n" + tetrahedron(40) + "usemtl b\nf 1 2 3\nusemtl c\nf 1 2 4\n")};
    writePair(packModels(options), dir / "three1", dir / "three2");
    options.inputs = {dir.write("one.obj", tetrahedron(40))};
    writePair(packModels(options), dir / "one1", dir / "one2");

    const Validation same = validatePair(dir / "three1", dir / "three2", "");
    EXPECT_TRUE(same.ok);
    EXPECT_TRUE(same.warnings.empty());
    EXPECT_NE(same.checksums.find("SHA-256 " + sha256Of(vxtest::readBytes(dir / "three2"))), std::string::npos);

    const Validation more = validatePair(dir / "one1", dir / "three2", "");  // 3 textures, one used
    EXPECT_TRUE(more.ok);
    ASSERT_EQ(more.warnings.size(), 1u);
    EXPECT_NE(more.warnings[0].find("no face of the scene uses textures 1, 2 of"), std::string::npos) << more.warnings[0];

    const Validation fewer = validatePair(dir / "three1", dir / "one2", "");  // faces name textures 1 and 2
    EXPECT_FALSE(fewer.ok);

    const Validation swapped = validatePair(dir / "one2", dir / "one1", "");
    EXPECT_FALSE(swapped.ok);
    ASSERT_EQ(swapped.problems.size(), 1u);
    EXPECT_NE(swapped.problems[0].find("the files are in the wrong order"), std::string::npos) << swapped.problems[0];
}

// Mean displayed value (32c + 31) of channel `c` over the texels.
double meanShown(const std::vector<uint16_t>& texels, int shift) {
    double sum = 0;
    for (uint16_t t : texels) sum += 32 * ((t >> shift) & 7) + 31;
    return sum / static_cast<double>(texels.size());
}

TEST(Dither, PlainIsTheEnginesConversionAndDitheringKeepsTheMeanColour) {
    RgbaImage grey;
    grey.width = grey.height = 16;
    for (int i = 0; i < 256; ++i) grey.pixels.insert(grey.pixels.end(), {100, 180, 20, 255});
    const auto plain = toTexels(grey, 0);
    for (uint16_t t : plain) ASSERT_EQ(t, ((100 >> 5) << 11) | ((180 >> 5) << 8) | ((20 >> 5) << 5));
    for (Dither way : {Dither::ordered, Dither::diffusion}) {
        const auto dithered = toTexels(grey, 0, way);
        EXPECT_NEAR(meanShown(dithered, 11), 100, 4);
        EXPECT_NEAR(meanShown(dithered, 8), 180, 4);
        EXPECT_NEAR(meanShown(dithered, 5), 31, 1);  // 20 lies below the darkest level: it stays there
    }
    // The ordered pattern repeats every 4 texels, so it runs on seamlessly where a texture wraps.
    const auto ordered = toTexels(grey, 0, Dither::ordered);
    for (size_t i = 0; i < ordered.size(); ++i) ASSERT_EQ(ordered[i], ordered[(i + 4) % 16 + i / 16 * 16]);
    EXPECT_NE(ordered[0], ordered[1]);
}

}  // namespace
