// SPDX-License-Identifier: MIT
// vxpack pack: OBJ/MTL and images in, the engine's integer formats out, and every way it refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "files.h"
#include "images.h"
#include "pack.h"
#include "support/vxpack_files.h"
#include "support/vxpack_pack.h"

namespace {

using namespace vxpack;
using vxtest::TempDir;

PackResult packOne(const std::filesystem::path& obj, PackOptions options = {}) {
    options.inputs = {obj};
    return packModels(options);
}

std::string errorOf(const PackOptions& options) { return vxtest::packErrorOf(options); }

// A 40x80 quad in the xy plane facing +z, textured with a 16x8 TGA, and a triangle with a
// plain colour material.
struct QuadScene {
    TempDir dir;
    std::filesystem::path obj;
    QuadScene() {
        vxtest::writeSolidTga(dir / "wall.tga", 16, 8, 255, 0, 0);
        dir.write("quad.mtl", "newmtl wall\nmap_Kd wall.tga\nnewmtl paint\nKd 0 0 1\n");
        obj = dir.write("quad.obj",
                        "mtllib quad.mtl\no Quad\n"
                        "v 0 0 0\nv 40 0 0\nv 40 80 0\nv 0 80 0\nv 20 20 20\n"
                        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0.5 0.25\nvt 0 1\n"
                        "usemtl wall\nf 1/1 2/2 3/3 4/5\n"
                        "usemtl paint\nf 1/1 2/2 5/4\n");
    }
};

TEST(Pack, TriangulatesAndKeepsPositionsUvAndTextureOfEveryCorner) {
    QuadScene scene;
    PackOptions options;
    options.scale = 2;
    options.translate = {1, -1, 100};
    const PackResult result = packOne(scene.obj, options);
    ASSERT_EQ(result.scene.objects.size(), 1u);
    const PackObject& quad = result.scene.objects[0];
    EXPECT_EQ(quad.name, "Quad");
    ASSERT_EQ(quad.faces.size(), 3u);
    ASSERT_EQ(result.textures.textures.size(), 2u);
    EXPECT_EQ(result.textures.textures[0].width, 16);
    EXPECT_EQ(result.textures.textures[0].height, 8);
    EXPECT_EQ(result.textures.textures[1].width, 8);  // the plain colour as an 8x8 texture
    EXPECT_EQ(result.textures.textures[1].frames[0][0], 0x00E0);  // pure blue

    // Every corner of the quad keeps its position (scaled, then moved) and its u/v: u in
    // sixteenths of a texel, v counted from the top row of the image.
    for (int f = 0; f < 2; ++f) {
        const PackFace& face = quad.faces[static_cast<size_t>(f)];
        EXPECT_EQ(face.texture, 0);
        for (int k = 0; k < 3; ++k) {
            const PackVertex& p = quad.vertices[static_cast<size_t>(face.vertex[static_cast<size_t>(k)])];
            const int x = (p.x - 1) / 2, y = (p.y + 1) / 2;
            EXPECT_EQ(p.z, 100);
            EXPECT_EQ(face.u[static_cast<size_t>(k)], x / 40 * 16 * 16) << x << "," << y;
            EXPECT_EQ(face.v[static_cast<size_t>(k)], (1 - y / 80) * 8 * 16) << x << "," << y;
        }
        // The winding stays: both halves still face +z.
        const PackVertex& a = quad.vertices[static_cast<size_t>(face.vertex[0])];
        const PackVertex& b = quad.vertices[static_cast<size_t>(face.vertex[1])];
        const PackVertex& c = quad.vertices[static_cast<size_t>(face.vertex[2])];
        EXPECT_GT((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0);
    }
    const PackFace& last = quad.faces[2];
    EXPECT_EQ(last.texture, 1);
    EXPECT_EQ(last.u[2], 8 * 16 / 2);  // 0.5 of an 8-wide texture
    EXPECT_EQ(last.v[2], 6 * 16);      // (1 - 0.25) of 8 rows
}

TEST(Pack, SharesVerticesOnlyBetweenCornersWithTheSameNormal) {
    TempDir dir;
    std::string cube = "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n";
    const std::string faces[6] = {"1 4 3 2", "5 6 7 8", "1 2 6 5", "3 4 8 7", "2 3 7 6", "1 5 8 4"};
    const std::string normals[6] = {"0 0 -1", "0 0 1", "0 -1 0", "0 1 0", "1 0 0", "-1 0 0"};
    std::string smooth = cube, flat = cube;
    for (int i = 0; i < 6; ++i) {
        smooth += "f " + faces[i] + "\n";
        flat += "vn " + normals[i] + "\n";
    }
    for (int i = 0; i < 6; ++i) {
        flat += "f";
        for (size_t at = 0; at < faces[i].size(); at += 2) flat += " " + faces[i].substr(at, 1) + "//" + std::to_string(i + 1);
        flat += "\n";
    }
    PackOptions options;
    options.scale = 50;
    const PackResult shared = packOne(dir.write("smooth.obj", smooth), options);
    ASSERT_EQ(shared.scene.objects[0].vertices.size(), 8u);
    for (const auto& v : shared.scene.objects[0].vertices) {
        // Smooth normal at a cube corner: along the diagonal, pointing out.
        EXPECT_NEAR(v.nx, (v.x > 0 ? 1 : -1) * kNormalLength / std::sqrt(3.0), 1.0);
        EXPECT_NEAR(v.nz, (v.z > 0 ? 1 : -1) * kNormalLength / std::sqrt(3.0), 1.0);
    }
    const PackResult split = packOne(dir.write("flat.obj", flat), options);
    ASSERT_EQ(split.scene.objects[0].vertices.size(), 24u);
    EXPECT_EQ(split.scene.objects[0].faces.size(), 12u);
    const auto& v0 = split.scene.objects[0].vertices[0];
    EXPECT_EQ(v0.nz, -kNormalLength);
}

TEST(Pack, MaterialsChooseDrawModeAndCullByKeyNameOrDissolve) {
    TempDir dir;
    dir.write("m.mtl",
              "newmtl plain\nKd 1 1 1\n"
              "newmtl explicit#a\nKd 1 0 0\nvx_draw_mode 1\nvx_backface_cull 0\n"
              "newmtl glass#a\nKd 0 1 0\n"
              "newmtl fence#k#a\nKd 0 0 1\n"
              "newmtl smoke\nKd 1 1 0\nd 0.5\n");
    std::string obj = "mtllib m.mtl\nv 0 0 0\nv 40 0 0\nv 0 40 0\n";
    for (const char* m : {"plain", "explicit#a", "glass#a", "fence#k#a", "smoke"}) obj += std::string("usemtl ") + m + "\nf 1 2 3\n";
    PackOptions options;
    options.drawMode = 1;
    options.backfaceCull = 0;
    const PackResult result = packOne(dir.write("m.obj", obj), options);
    const auto& t = result.textures.textures;
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].drawMode, 1);  // from the option
    EXPECT_EQ(t[0].backfaceCull, 0);
    EXPECT_EQ(t[1].drawMode, 1);  // the key wins over the name
    EXPECT_EQ(t[2].drawMode, 2);
    EXPECT_EQ(t[3].drawMode, 3);
    EXPECT_EQ(t[4].drawMode, 2);

    dir.write("bad.mtl", "newmtl odd\nvx_draw_mode 7\n");
    options.inputs = {dir.write("bad.obj", "mtllib bad.mtl\nv 0 0 0\nv 40 0 0\nv 0 40 0\nusemtl odd\nf 1 2 3\n")};
    EXPECT_NE(errorOf(options).find("vx_draw_mode must be 0..3"), std::string::npos);
}

TEST(Pack, SameImageWithTheSameModeIsOneTexture) {
    TempDir dir;
    vxtest::writeSolidTga(dir / "stone.tga", 8, 8, 10, 200, 10);
    dir.write("s.mtl", "newmtl a\nmap_Kd stone.tga\nnewmtl b\nmap_Kd ./stone.tga\nnewmtl c\nmap_Kd stone.tga\nd 0.5\n");
    const PackResult result = packOne(dir.write("s.obj", "mtllib s.mtl\nv 0 0 0\nv 40 0 0\nv 0 40 0\n"
                                                         "usemtl a\nf 1 2 3\nusemtl b\nf 1 2 3\nusemtl c\nf 1 2 3\n"));
    ASSERT_EQ(result.textures.textures.size(), 2u);
    EXPECT_EQ(result.scene.objects[0].faces[1].texture, 0);
    EXPECT_EQ(result.scene.objects[0].faces[2].texture, 1);
}

TEST(Pack, TextureCoordinatesMoveByWholeRepeatsToFitSixteenBits) {
    TempDir dir;
    vxtest::writeSolidTga(dir / "t.tga", 8, 8, 1, 2, 3);
    dir.write("t.mtl", "newmtl t\nmap_Kd t.tga\n");
    const PackResult result = packOne(dir.write("t.obj", "mtllib t.mtl\nv 0 0 0\nv 40 0 0\nv 0 40 0\n"
                                                         "vt 300 1\nvt 300.5 1\nvt -0.5 1\n"
                                                         "usemtl t\nf 1/1 2/2 3/2\nf 1/3 2/3 3/3\n"));
    const auto& faces = result.scene.objects[0].faces;
    EXPECT_EQ(faces[0].u[0], 0);   // 300 repeats dropped
    EXPECT_EQ(faces[0].u[1], 64);  // half of 8 texels
    EXPECT_EQ(faces[1].u[0], 64);  // -0.5 becomes 0.5

    const auto wide = dir.write("w.obj", "mtllib t.mtl\nv 0 0 0\nv 40 0 0\nv 0 40 0\nvt 0 0\nvt 300 0\n"
                                         "usemtl t\nf 1/1 2/2 3/1\n");
    PackOptions options;
    options.inputs = {wide};
    EXPECT_NE(errorOf(options).find("texture repeats"), std::string::npos);
}

TEST(Pack, FitCentresAndScalesAndThePivotIsTheBoxCentre) {
    QuadScene scene;
    PackOptions options;
    options.fitRadius = 100;
    const PackResult result = packOne(scene.obj, options);
    const PackObject& quad = result.scene.objects[0];
    int32_t largest = 0;
    for (const auto& v : quad.vertices) largest = std::max<int32_t>(largest, v.x * v.x + v.y * v.y + v.z * v.z);
    EXPECT_NEAR(std::sqrt(largest), 100.0, 1.0);
    EXPECT_EQ(quad.matrix[9], 0);
    EXPECT_EQ(quad.matrix[10], 0);

    options = {};
    options.translate = {1000, 0, 0};
    EXPECT_EQ(packOne(scene.obj, options).scene.objects[0].matrix[9], 1020);
    options.pivotAtCentre = false;
    EXPECT_EQ(packOne(scene.obj, options).scene.objects[0].matrix[9], 0);
}

TEST(Pack, BakedSunLightsVerticesFacingItAndLeavesTheRestAtAmbient) {
    TempDir dir;
    const auto obj = dir.write("two.obj", "v 0 0 0\nv 40 0 0\nv 0 40 0\nvn 0 0 1\nvn 0 0 -1\nvn 1 0 0\n"
                                          "f 1//1 2//1 3//1\nf 1//2 3//2 2//2\nf 1//3 2//3 3//3\n");
    PackOptions options;
    options.bakeSun = true;
    options.sun = {0, 0, 5};
    options.light = 30;
    options.ambient = 10;
    const PackResult result = packOne(obj, options);
    const auto& vertices = result.scene.objects[0].vertices;
    ASSERT_EQ(vertices.size(), 9u);
    EXPECT_EQ(vertices[0].light, 30);
    EXPECT_EQ(vertices[3].light, 10);
    EXPECT_EQ(vertices[6].light, 10);
}

TEST(Pack, RefusesWhatTheEngineCannotHold) {
    TempDir dir;
    PackOptions options;
    options.inputs = {dir / "missing.obj"};
    EXPECT_NE(errorOf(options).find("cannot open"), std::string::npos);

    options.inputs = {dir.write("far.obj", "v 0 0 0\nv 40000 0 0\nv 0 1 0\nf 1 2 3\n")};
    EXPECT_NE(errorOf(options).find("far.obj:4: object \"far\" reaches 40000"), std::string::npos);
    EXPECT_NE(errorOf(options).find("--fit R"), std::string::npos);

    options.inputs = {dir.write("long.obj", "o ThisNameIsFarTooLongForTheTable\nv 0 0 0\nv 40 0 0\nv 0 40 0\nf 1 2 3\n")};
    EXPECT_NE(errorOf(options).find("long.obj:5: object name \"ThisNameIsFarTooLongForTheTable\" must be 1..23 printable"),
              std::string::npos);
    EXPECT_NE(errorOf(options).find("--merge NAME"), std::string::npos);

    std::string many;
    for (int i = 0; i < 65; ++i) many += "o part" + std::to_string(i) + "\nv 0 0 0\nv 40 0 0\nv 0 40 0\nf -3 -2 -1\n";
    options.inputs = {dir.write("many.obj", many)};
    EXPECT_NE(errorOf(options).find("65 objects"), std::string::npos);
    options.mergeInto = "Sat";
    EXPECT_EQ(packModels(options).scene.objects.size(), 1u);
    options.mergeInto.clear();

    std::string colours, faces = "v 0 0 0\nv 40 0 0\nv 0 40 0\nmtllib c.mtl\n";
    for (int i = 0; i < 129; ++i) {
        colours += "newmtl c" + std::to_string(i) + "\nKd " + std::to_string(i / 255.0) + " 0 0\n";
        faces += "usemtl c" + std::to_string(i) + "\nf 1 2 3\n";
    }
    dir.write("c.mtl", colours);
    options.inputs = {dir.write("c.obj", faces)};
    EXPECT_NE(errorOf(options).find("c.mtl:257: material \"c128\" needs texture 129; the engine's table holds 128"),
              std::string::npos);

    options.inputs = {dir.write("empty.obj", "v 0 0 0\n")};
    EXPECT_NE(errorOf(options).find("no faces"), std::string::npos);
}

TEST(Pack, OtherTextureSizesAreRejectedOrResampled) {
    TempDir dir;
    vxtest::writeSolidTga(dir / "odd.tga", 12, 8, 0, 255, 0);
    vxtest::writeSolidTga(dir / "huge.tga", 300, 4, 0, 255, 0);
    dir.write("o.mtl", "newmtl odd\nmap_Kd odd.tga\nnewmtl huge\nmap_Kd huge.tga\n");
    PackOptions options;
    options.inputs = {dir.write("o.obj", "mtllib o.mtl\nv 0 0 0\nv 40 0 0\nv 0 40 0\nusemtl odd\nf 1 2 3\nusemtl huge\nf 1 2 3\n")};
    const std::string why = errorOf(options);
    EXPECT_NE(why.find("o.mtl:1: texture "), std::string::npos) << why;
    EXPECT_NE(why.find("odd.tga of material \"odd\" is 12x8"), std::string::npos) << why;
    EXPECT_NE(why.find("--resize-textures"), std::string::npos) << why;
    options.resizeTextures = true;
    const PackResult result = packModels(options);
    EXPECT_EQ(result.textures.textures[0].width, 16);  // 12 lies as near 8 as 16: ties go up
    EXPECT_EQ(result.textures.textures[0].height, 8);
    EXPECT_EQ(result.textures.textures[1].width, 128);
    EXPECT_EQ(result.textures.textures[1].height, 8);
    for (uint16_t texel : result.textures.textures[1].frames[0]) ASSERT_EQ(texel, 0x0700);  // still pure green
}

TEST(Images, AreaFilterWeighsEverySourceTexelByItsOverlap) {
    RgbaImage line;
    line.width = 3;
    line.height = 1;
    line.pixels = {0, 30, 90, 255, 150, 30, 90, 255, 255, 30, 90, 0};
    const RgbaImage half = resample(line, 2, 1);
    // Target 0 covers 1.5 source texels: all of texel 0 and half of texel 1.
    EXPECT_EQ(half.pixels[0], 50);    // (0*2 + 150) / 3
    EXPECT_EQ(half.pixels[4], 220);   // (150 + 255*2) / 3
    EXPECT_EQ(half.pixels[1], 30);
    EXPECT_EQ(half.pixels[7], 85);    // alpha (255 + 0*2) / 3
    const RgbaImage wide = resample(line, 6, 1);
    EXPECT_EQ(wide.pixels[4 * 2], 150);
    EXPECT_EQ(wide.pixels[4 * 3], 150);
    EXPECT_EQ(nearestAcceptedSide(3), 8);
    EXPECT_EQ(nearestAcceptedSide(47), 32);
    EXPECT_EQ(nearestAcceptedSide(48), 64);
    EXPECT_EQ(nearestAcceptedSide(5000), 128);
}

TEST(Images, KeyedTexturesKeepZeroForTransparencyOnly) {
    RgbaImage image;
    image.width = 4;
    image.height = 1;
    image.hasAlpha = true;
    image.pixels = {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 10};
    EXPECT_EQ(toTexels(image, 1), (std::vector<uint16_t>{16352, 0x20, 0, 0}));
    EXPECT_EQ(toTexels(image, 3), (std::vector<uint16_t>{16352, 0x20, 0, 0}));
    EXPECT_EQ(toTexels(image, 2), (std::vector<uint16_t>{16352, 0, 0, 14336}));
    image.hasAlpha = false;  // no alpha: black is the transparent colour
    EXPECT_EQ(toTexels(image, 1), (std::vector<uint16_t>{16352, 0, 0, 14336}));
}

TEST(WritePair, NeverOverwritesAnInputAndLeavesNoTemporaryFile) {
    QuadScene scene;
    const PackResult result = packOne(scene.obj);
    const auto before = vxtest::readBytes(scene.obj);
    EXPECT_THROW(writePair(result, scene.obj, scene.dir / "t"), PackError);
    EXPECT_THROW(writePair(result, scene.dir / "s", scene.dir / "wall.tga"), PackError);
    EXPECT_THROW(writePair(result, scene.dir / "same", scene.dir / "same"), PackError);
    EXPECT_THROW(writePair(result, scene.dir / "no" / "s", scene.dir / "t"), PackError);
    EXPECT_EQ(vxtest::readBytes(scene.obj), before);

    writePair(result, scene.dir / "s", scene.dir / "t");
    EXPECT_EQ(vxtest::readBytes(scene.dir / "s"), sceneFileBytes(result.scene));
    EXPECT_EQ(vxtest::readBytes(scene.dir / "t"), textureFileBytes(result.textures));
    for (const auto& entry : std::filesystem::directory_iterator(scene.dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
