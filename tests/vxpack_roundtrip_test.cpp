// SPDX-License-Identifier: MIT
// OBJ -> vxpack -> the engine's own loaders, and `vxpack validate` on good and bad pairs.
#include <gtest/gtest.h>

#include <veloxia/veloxia.h>

#include "default_data.h"
#include "files.h"
#include "pack.h"
#include "support/vxpack_files.h"
#include "validate.h"

namespace {

using namespace vxpack;
using vxtest::TempDir;

// Two objects, three materials (opaque image, keyed image, averaged colour), a quad and
// triangles with texture coordinates outside 0..1.
struct RoundTrip {
    TempDir dir;
    PackResult packed;
    RoundTrip() {
        vxtest::writeSolidTga(dir / "crate.tga", 32, 16, 200, 120, 40);
        vxtest::writeSolidTga(dir / "fence.tga", 8, 8, 0, 0, 0);
        dir.write("scene.mtl", "newmtl crate\nmap_Kd crate.tga\n"
                               "newmtl fence\nmap_Kd fence.tga\nvx_draw_mode 1\nvx_backface_cull 0\n"
                               "newmtl glass\nKd 0.2 0.4 1\nd 0.4\n");
        PackOptions options;
        options.bakeSun = false;  // flat light: every vertex at level 31
        options.inputs = {dir.write("scene.obj", "mtllib scene.mtl\n"
                                                 "o Sat\nv -50 -40 10\nv 60 -40 10\nv 60 70 10\nv -50 70 10\n"
                                                 "vt 0 0\nvt 2 0\nvt 2 1.5\nvt -0.25 1.5\n"
                                                 "usemtl crate\nf 1/1 2/2 3/3 4/4\n"
                                                 "usemtl fence\nf 1/1 3/3 2/2\n"
                                                 "o Probe\nv 300 0 0\nv 310 0 0\nv 300 10 -5\n"
                                                 "usemtl glass\nf 5 6 7\n")};
        packed = packModels(options);
        writePair(packed, dir / kSceneFileName, dir / kTextureFileName);
    }
};

TEST(RoundTrip, EngineLoadersSeeThePositionsUvAndDrawModesThatWerePacked) {
    RoundTrip trip;
    veloxia::initEngine(&veloxia::renderContext);
    ASSERT_EQ(veloxia::loadSceneFile(trip.dir / kSceneFileName), 1) << veloxia::lastLoadError().reason;
    ASSERT_EQ(veloxia::loadTextureFile(trip.dir / kTextureFileName), 1) << veloxia::lastLoadError().reason;
    ASSERT_EQ(veloxia::checkSceneTextures(), 1) << veloxia::lastLoadError().reason;
    ASSERT_EQ(veloxia::sceneObjectCount, 2);
    ASSERT_EQ(veloxia::textureCount, 3);

    const veloxia::SceneObject* sat = veloxia::findSceneObject("Sat");
    ASSERT_NE(sat, nullptr);
    const PackObject& expected = trip.packed.scene.objects[0];
    ASSERT_EQ(sat->vertexCount, static_cast<int32_t>(expected.vertices.size()));
    ASSERT_EQ(sat->faceCount, 3);
    EXPECT_EQ(sat->matrix[0], 16384);
    EXPECT_EQ(sat->matrix[9], 5);    // the centre of x -50..60
    EXPECT_EQ(sat->matrix[10], 15);  // and of y -40..70
    for (int32_t f = 0; f < sat->faceCount; ++f) {
        const veloxia::MeshFace& face = sat->faces[f];
        const PackFace& packed = expected.faces[static_cast<size_t>(f)];
        EXPECT_EQ(face.texture, &veloxia::TextureTable[packed.texture]);
        for (int k = 0; k < 3; ++k) {
            const auto* vertex = static_cast<const veloxia::MeshVertex*>(face.corner[k].vertex);
            const PackVertex& p = expected.vertices[static_cast<size_t>(packed.vertex[static_cast<size_t>(k)])];
            EXPECT_EQ(vertex->x, p.x);
            EXPECT_EQ(vertex->y, p.y);
            EXPECT_EQ(vertex->z, 10);
            EXPECT_EQ(vertex->light, 31);
            EXPECT_EQ(vertex->nz, p.nz);
            EXPECT_EQ(face.corner[k].u, packed.u[static_cast<size_t>(k)]);
            EXPECT_EQ(face.corner[k].v, packed.v[static_cast<size_t>(k)]);
        }
    }
    EXPECT_EQ(veloxia::TextureTable[0].drawMode, 0);
    EXPECT_EQ(veloxia::TextureTable[0].backfaceCull, 1);
    EXPECT_EQ(veloxia::TextureTable[1].drawMode, 1);
    EXPECT_EQ(veloxia::TextureTable[1].backfaceCull, 0);
    EXPECT_EQ(veloxia::TextureTable[2].drawMode, 2);
    EXPECT_EQ(veloxia::TextureTable[0].averageColor, veloxia::makeColorIndex(200, 120, 40));
    EXPECT_EQ(veloxia::TextureTable[1].texels[0], 0) << "black is transparent in a keyed image without alpha";
}

TEST(Validate, AcceptsTheDefaultDataAndTheRoundTripPair) {
    const std::filesystem::path bin = std::filesystem::path(VX_BINARY_DIR) / "bin";
    const Validation standard = validatePair(bin / kSceneFileName, bin / kTextureFileName, "Sat");
    EXPECT_TRUE(standard.ok) << (standard.problems.empty() ? "" : standard.problems[0]);
    EXPECT_TRUE(standard.warnings.empty());
    EXPECT_NE(standard.summary.find("\"Sat\" has 1110 faces"), std::string::npos) << standard.summary;

    RoundTrip trip;
    const Validation pair = validatePair(trip.dir / kSceneFileName, trip.dir / kTextureFileName, "Sat");
    EXPECT_TRUE(pair.ok);
    EXPECT_EQ(pair.summary.rfind("2 objects with 4 faces, 3 textures", 0), 0u) << pair.summary;
    const Validation moon = validatePair(trip.dir / kSceneFileName, trip.dir / kTextureFileName, "Moon");
    ASSERT_FALSE(moon.ok);
    EXPECT_NE(moon.problems[0].find("no object named \"Moon\""), std::string::npos);
    EXPECT_TRUE(validatePair(trip.dir / kSceneFileName, trip.dir / kTextureFileName, "").ok);
}

TEST(Validate, ReportsWhatTheBenchmarkWouldTripOver) {
    RoundTrip trip;
    // A face naming a texture the texture file does not hold.
    PackScene scene = trip.packed.scene;
    scene.objects[1].faces[0].texture = 5;
    writeFileAtomically(trip.dir / "far", sceneFileBytes(scene));
    Validation result = validatePair(trip.dir / "far", trip.dir / kTextureFileName, "Sat");
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.problems[0].find("uses texture 5"), std::string::npos) << result.problems[0];

    // A truncated scene file: the loader's own reason, with the file.
    Bytes bytes = sceneFileBytes(trip.packed.scene);
    bytes.erase(bytes.begin() + 100, bytes.begin() + 132);
    writeFileAtomically(trip.dir / "short", bytes);
    result = validatePair(trip.dir / "short", trip.dir / kTextureFileName, "Sat");
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.problems[0].rfind("scene file " + (trip.dir / "short").string() + ": ", 0), 0u) << result.problems[0];
    result = validatePair(trip.dir / kSceneFileName, trip.dir / "missing", "Sat");
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.problems[0].rfind("texture file", 0), 0u);

    // Texels lit above shade level 0 load as the original runs them (they show brighter).
    PackTextures textures = trip.packed.textures;
    textures.textures[0].frames[0][3] |= 7;
    writeFileAtomically(trip.dir / "lit", textureFileBytes(textures));
    result = validatePair(trip.dir / kSceneFileName, trip.dir / "lit", "Sat");
    EXPECT_TRUE(result.ok) << (result.problems.empty() ? "" : result.problems[0]);

    // Loads, but would not look right: a Sat too big for the running screen.
    scene = trip.packed.scene;
    scene.objects[0].vertices[0].x = -300;
    writeFileAtomically(trip.dir / "big", sceneFileBytes(scene));
    result = validatePair(trip.dir / "big", trip.dir / kTextureFileName, "Sat");
    EXPECT_TRUE(result.ok) << (result.problems.empty() ? "" : result.problems[0]);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("near plane"), std::string::npos);
}

}  // namespace
