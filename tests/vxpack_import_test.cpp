// SPDX-License-Identifier: MIT
// vxpack's OBJ/MTL reading: polygons cut in their plane, every message with its file and line,
// and material trouble that is worked around instead of stopping the pack.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "obj_import.h"
#include "pack.h"
#include "polygon.h"
#include "support/vxpack_files.h"

namespace {

using namespace vxpack;
using vxtest::TempDir;
using Points = std::vector<std::array<double, 3>>;

// Signed area of a triangle of `points` in the xy plane.
double area(const Points& points, const std::array<int, 3>& t) {
    const auto& a = points[static_cast<size_t>(t[0])];
    const auto& b = points[static_cast<size_t>(t[1])];
    const auto& c = points[static_cast<size_t>(t[2])];
    return ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2;
}

// A ring cut open along one radius: the outer circle counter-clockwise, then the inner one back,
// each closed by repeating its first corner; 2 * (segments + 1) corners.
Points ring(int segments, double outer, double inner) {
    Points points;
    for (int k = 0; k <= segments; ++k) {
        const double a = 2 * std::numbers::pi * k / segments;
        points.push_back({outer * std::cos(a), outer * std::sin(a), 0});
    }
    for (int k = segments; k >= 0; --k) {
        const double a = 2 * std::numbers::pi * k / segments;
        points.push_back({inner * std::cos(a), inner * std::sin(a), 0});
    }
    return points;
}

TEST(Polygons, ConcaveOutlinesAreCutIntoNMinusTwoTrianglesThatStayInside) {
    // A dart: the corner at (3, 5) points inwards, so a fan from the first corner would cover
    // the notch.
    const Points dart = {{0, 0, 0}, {10, 5, 0}, {0, 10, 0}, {3, 5, 0}};
    const auto darts = triangulatePolygon(dart);
    ASSERT_TRUE(darts);
    ASSERT_EQ(darts->size(), 2u);
    double total = 0;
    for (const auto& t : *darts) {
        EXPECT_GT(area(dart, t), 0);  // wound as the polygon is
        total += area(dart, t);
    }
    EXPECT_DOUBLE_EQ(total, 35.0);  // 50 of the hull less the 15 of the notch

    // The ring of 66 corners: 64 triangles, each inside the ring (none over the hole), together
    // covering exactly the polygon.
    const Points rim = ring(32, 10, 6);
    ASSERT_EQ(rim.size(), 66u);
    const auto pieces = triangulatePolygon(rim);
    ASSERT_TRUE(pieces);
    ASSERT_EQ(pieces->size(), 64u);
    double covered = 0, outline = 0;
    for (const auto& t : *pieces) {
        EXPECT_GT(area(rim, t), -1e-9);
        covered += area(rim, t);
        double cx = 0, cy = 0;
        for (int k : t) cx += rim[static_cast<size_t>(k)][0] / 3, cy += rim[static_cast<size_t>(k)][1] / 3;
        EXPECT_GT(std::hypot(cx, cy), 6 * std::cos(std::numbers::pi / 32) - 1e-9) << "a triangle over the hole";
    }
    for (size_t i = 0; i < rim.size(); ++i) {
        const auto& a = rim[i];
        const auto& b = rim[(i + 1) % rim.size()];
        outline += (a[0] * b[1] - b[0] * a[1]) / 2;
    }
    EXPECT_NEAR(covered, outline, 1e-9);
}

TEST(Polygons, TiltedPlanesKeepTheirWindingAndFlatOnesHaveNoTriangles) {
    // An L in a plane tilted about x and facing away from +z: every triangle's normal must
    // point the same way as the polygon's.
    const double c = std::cos(2.0), s = std::sin(2.0);
    const double flat[6][2] = {{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}};
    Points l;
    for (const auto& p : flat) l.push_back({p[0], p[1] * c, p[1] * s});
    const auto pieces = triangulatePolygon(l);
    ASSERT_TRUE(pieces);
    ASSERT_EQ(pieces->size(), 4u);
    for (const auto& t : *pieces) {
        const auto& a = l[static_cast<size_t>(t[0])];
        const auto& b = l[static_cast<size_t>(t[1])];
        const auto& d = l[static_cast<size_t>(t[2])];
        // The plane's own normal is (0, -s, c); the triangle's must agree with it.
        const double ny = (b[2] - a[2]) * (d[0] - a[0]) - (b[0] - a[0]) * (d[2] - a[2]);
        const double nz = (b[0] - a[0]) * (d[1] - a[1]) - (b[1] - a[1]) * (d[0] - a[0]);
        EXPECT_GT(-s * ny + c * nz, 0);
    }
    EXPECT_FALSE(triangulatePolygon({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}}));
    EXPECT_FALSE(triangulatePolygon({{5, 5, 5}, {5, 5, 5}, {5, 5, 5}}));
}

// Packs `obj` (with `mtl` beside it as m.mtl) and returns the result, or the error's text.
struct Packed {
    TempDir dir;
    PackResult result;
    std::string error;
    std::string warnings;
    Packed(const std::string& obj, const std::string& mtl = "") {
        if (!mtl.empty()) dir.write("m.mtl", mtl);
        PackOptions options;
        options.inputs = {dir.write("m.obj", obj)};
        try {
            result = packModels(options);
            for (const auto& line : result.warnings) warnings += line + "\n";
        } catch (const PackError& e) {
            error = e.what();
        }
    }
    bool says(const std::string& text) const {
        return error.find(text) != std::string::npos || warnings.find(text) != std::string::npos;
    }
};

const std::string kTriangle = "v 0 0 0\nv 40 0 0\nv 0 40 0\n";

TEST(ObjErrors, EveryProblemNamesItsFileLineAndWhatIsMissing) {
    EXPECT_TRUE(Packed(kTriangle + "f 1 2 9\n").says("m.obj:4: the face refers to position 9, but the file defines 3 positions"));
    EXPECT_TRUE(Packed(kTriangle + "vt 0 0\n\nf 1/1 2/2 3/1\n").says("m.obj:6: the face refers to texture coordinate 2, but the file defines 1 texture coordinate"));
    EXPECT_TRUE(Packed("v 0 0 0\nv 1 x 0\n").says("m.obj:2: \"v\" needs three numbers"));
    EXPECT_TRUE(Packed(kTriangle + "f 1 2\n").says("m.obj:4: a face needs at least three corners"));
    EXPECT_TRUE(Packed(kTriangle + "f 1 0 2\n").says("m.obj:4: \"0\" is not a position index"));
    // A statement split over lines with a backslash is one statement, named by its first line.
    EXPECT_TRUE(Packed(kTriangle + "f 1 \\\n 2 7\n").says("m.obj:4: the face refers to position 7"));
    // Faces may come before the positions they name, and negative indices count back.
    const Packed late("f 1 2 3\n" + kTriangle + "f -3 -2 -1\n");
    EXPECT_EQ(late.error, "");
    EXPECT_EQ(late.result.scene.objects[0].faces.size(), 2u);
}

TEST(ObjErrors, AMissingNormalIsComputedAndAFlatPolygonLeftOutWithItsLine) {
    const Packed packed(kTriangle + "vn 0 0 1\nf 1//1 2//5 3//1\n\nf 1 2 1 2\nf 1 1 1\n");
    ASSERT_EQ(packed.error, "");
    EXPECT_TRUE(packed.says("m.obj:5: the face refers to normal 5, but the file defines 1 normal; the normal is computed"));
    EXPECT_TRUE(packed.says("m.obj:7: a face of 4 corners has no area"));  // the first of two
    EXPECT_TRUE(packed.says("(2 times in all)"));
    EXPECT_EQ(packed.result.warningCount, 3u);
    const PackObject& object = packed.result.scene.objects[0];
    ASSERT_EQ(object.faces.size(), 1u);
    for (const auto& v : object.vertices) EXPECT_EQ(v.nz, kNormalLength);  // given or computed: facing +z
}

TEST(Materials, MissingLibrariesMaterialsAndTexturesAreWarningsWithDefaults) {
    // No library at all: the faces are grey (the MTL default Kd 0.8).
    const Packed noLibrary("mtllib gone.mtl\n" + kTriangle + "usemtl red\nf 1 2 3\nf 1 2 3\nf 1 2 3\n");
    ASSERT_EQ(noLibrary.error, "");
    EXPECT_TRUE(noLibrary.says("m.obj:1: material library gone.mtl not found"));
    EXPECT_TRUE(noLibrary.says("m.obj:5: no material library defines \"red\"; its faces get a grey default material (3 times in all)"));
    EXPECT_EQ(noLibrary.result.textures.textures.at(0).frames[0][0], 0x36C0);  // 204, 204, 204: levels 6, 6, 6

    // A texture that is not there: the material's Kd colour instead.
    const Packed noImage("mtllib m.mtl\n" + kTriangle + "usemtl blue\nf 1 2 3\n",
                         "newmtl blue\nKd 0 0 1\nmap_Kd -s 1 1 1 gone.png\n");
    ASSERT_EQ(noImage.error, "");
    EXPECT_TRUE(noImage.says("m.mtl:3: texture \"-s 1 1 1 gone.png\" of material \"blue\" not found; its Kd colour is used"));
    EXPECT_EQ(noImage.result.textures.textures.at(0).frames[0][0], 0x00E0);

    // A library named after the usemtl that needs it still serves it.
    const Packed late(kTriangle + "usemtl blue\nf 1 2 3\nmtllib m.mtl\n", "newmtl blue\nKd 0 0 1\n");
    EXPECT_EQ(late.warnings, "");
    EXPECT_EQ(late.result.textures.textures.at(0).frames[0][0], 0x00E0);
}

TEST(Materials, TexturePathsTakeBackslashesOptionsAndAnyLetterCase) {
    TempDir dir;
    std::filesystem::create_directories(dir / "Maps");
    vxtest::writeSolidTga(dir / "Maps" / "Stone.TGA", 16, 8, 255, 0, 0);
    EXPECT_EQ(findTexture(".\\Maps\\Stone.TGA", dir.path()), dir / "Maps" / "Stone.TGA");
    EXPECT_EQ(findTexture("maps/stone.tga", dir.path()), dir / "Maps" / "Stone.TGA");
    EXPECT_EQ(findTexture("-bm 0.5 -o 1 2 C:\\art\\STONE.tga", dir.path() / "Maps"), dir / "Maps" / "Stone.TGA");
    EXPECT_EQ(findTexture("nothing.tga", dir.path()), std::filesystem::path());

    dir.write("m.mtl", "newmtl wall\nmap_Kd .\\MAPS\\stone.tga\n");
    PackOptions options;
    options.inputs = {dir.write("m.obj", "mtllib M.MTL\n" + kTriangle + "usemtl wall\nf 1 2 3\n")};
    const PackResult result = packModels(options);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.textures.textures.at(0).width, 16);
    EXPECT_EQ(result.textures.textures.at(0).frames[0][0], 0x3800);
}

}  // namespace
