// SPDX-License-Identifier: MIT
// The scene file: how records land in memory, the search by name, centring, the light
// operations, and every crafted bad file rejected with the tables left as they were.
#include <gtest/gtest.h>

#include <memory>

#include "support/data_fixture.h"
#include "veloxia/veloxia.h"

namespace vxtest {
namespace {

using namespace veloxia;

using SceneFile = LoadedReference;

TEST_F(SceneFile, RecordsLandInTheirFieldsAndIndicesBecomeReferences) {
    ObjectSpec object = triangleObject("Probe", 2);
    for (int i = 0; i < 16; ++i) object.vertices[1].fields[size_t(i)] = int16_t(100 + i);
    object.matrix = {1, 2, 3, 4, 5, 6, 7, 8, 9, -10, 11, -12};
    object.faces.push_back(FaceSpec{{2, 0, 1}, {-16, 48, 5}, {3, -7, 40}, 1, 9});
    ASSERT_EQ(loadSceneFile(dir.write("probe.vx1", sceneFile({triangleObject("First"), object}))), 1);

    ASSERT_EQ(sceneObjectCount, 2);
    const SceneObject& o = SceneTable[1];
    EXPECT_STREQ(o.name, "Probe");
    EXPECT_EQ(o.matrix, (Mat34{1, 2, 3, 4, 5, 6, 7, 8, 9, -10, 11, -12}));
    EXPECT_EQ(o.active, 1);
    EXPECT_EQ(o.worldMember, 0);
    ASSERT_EQ(o.vertexCount, 3);
    ASSERT_EQ(o.faceCount, 2);
    // Every field of the 32-byte record at its own offset, per-frame ones kept as stored.
    const MeshVertex& v = o.vertices[1];
    const int16_t fields[16] = {v.sx, v.sy, v.depth, v.shade, v.vx, v.vy, v.vz, v.stamp,
                                v.x, v.y, v.z, v.light, v.nx, v.ny, v.nz, v.lightSaved};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(fields[i], 100 + i) << "field " << i;

    const MeshFace& f = o.faces[1];
    EXPECT_EQ(f.corner[0].vertex, &o.vertices[2]);
    EXPECT_EQ(f.corner[1].vertex, &o.vertices[0]);
    EXPECT_EQ(f.corner[2].vertex, &o.vertices[1]);
    EXPECT_EQ(f.corner[0].u, -16);
    EXPECT_EQ(f.corner[1].v, -7);
    EXPECT_EQ(f.corner[2].u, 5);
    EXPECT_EQ(f.texture, &TextureTable[1]);
    EXPECT_EQ(f.cell, 9);
    EXPECT_EQ(o.faces[0].texture, &TextureTable[2]);
    EXPECT_TRUE(lastLoadError().reason.empty());
}

// The count is found by its place at the end: bytes between the last object and the count are
// not read, and a count of 0 or less loads no object and succeeds.
TEST_F(SceneFile, CountsOfZeroOrLessAndBytesBeforeTheCountAreAccepted) {
    ASSERT_EQ(loadSceneFile(committedPath("scene", "good-bytes-before-count.vx1")), 1) << lastLoadError().reason;
    ASSERT_EQ(sceneObjectCount, 2);
    EXPECT_STREQ(SceneTable[1].name, "Star");
    for (const char* name : {"good-count-negative.vx1", "good-count-most-negative.vx1"}) {
        ASSERT_EQ(loadSceneFile(committedPath("scene", name)), 1) << name;
        EXPECT_EQ(sceneObjectCount, 0) << name;
        EXPECT_EQ(findSceneObject("Sat"), nullptr) << name;
        EXPECT_EQ(SceneTable[0].vertices, nullptr) << name;
    }
}

TEST_F(SceneFile, SixtyFourObjectsFitAndSixtyFiveDoNot) {
    std::vector<ObjectSpec> objects(64, triangleObject("Many", 1));
    objects.back().name = "Last";
    ASSERT_EQ(loadSceneFile(dir.write("64.vx1", sceneFile(objects))), 1);
    EXPECT_EQ(findSceneObject("Last"), &SceneTable[63]);

    const auto before = tableSnapshot();
    const Bytes bytes = sceneFile(objects, 65);
    const auto path = dir.write("65.vx1", bytes);
    EXPECT_EQ(loadSceneFile(path), 0);
    EXPECT_EQ(lastLoadError().offset, int64_t(bytes.size()) - 4);
    expectRejectedCleanly(path, before);  // the rejected count never reaches sceneObjectCount
}

TEST_F(SceneFile, FindReturnsTheFirstExactMatch) {
    ASSERT_EQ(loadSceneFile(dir.write("twins.vx1", sceneFile({triangleObject("Other"), triangleObject("Twin"),
                                                              triangleObject("Twin")}))),
              1);
    EXPECT_EQ(findSceneObject("Twin"), &SceneTable[1]);
    for (const char* name : {"Twi", "Twins", "twin", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(findSceneObject(name), nullptr) << (name ? name : "null");
    }
}

TEST_F(SceneFile, CentringMovesTheTranslationToTheOrigin) {
    SceneObject* sat = findSceneObject("Sat");  // translation (10, -20, 5), vertex 0 there
    ASSERT_NE(sat, nullptr);
    const Mat34 matrix = sat->matrix;
    sat->vertices[1].x = -32768;
    sat->vertices[1].y = 32767;
    centreSceneObject(sat);
    EXPECT_EQ(sat->matrix, matrix);
    EXPECT_EQ(sat->vertices[0].x, 0);
    EXPECT_EQ(sat->vertices[0].y, 0);
    EXPECT_EQ(sat->vertices[0].z, 0);
    EXPECT_EQ(sat->vertices[3].x, 100);
    EXPECT_EQ(sat->vertices[3].y, 100);
    EXPECT_EQ(sat->vertices[1].x, 32758);  // results wrap to 16 bits
    EXPECT_EQ(sat->vertices[1].y, -32768 + 19);
    centreSceneObject(nullptr);
}

TEST_F(SceneFile, LightOperationsKeepLevelsWithin1To31) {
    SceneObject* sat = findSceneObject("Sat");  // lights 31, 20, 10, 1
    auto lights = [sat] {
        std::vector<int> out;
        for (int n = 0; n < sat->vertexCount; ++n) out.push_back(sat->vertices[n].light);
        return out;
    };
    scaleObjectLight(sat, 128);
    EXPECT_EQ(lights(), (std::vector<int>{15, 10, 5, 1}));
    scaleObjectLight(sat, 1024);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 20, 4}));
    raiseObjectLight(sat, 21);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 21, 21}));
    raiseObjectLight(sat, 40);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 31, 31}));
    scaleObjectLight(sat, 1 << 27);  // 31 << 27 wraps negative in 32 bits
    EXPECT_EQ(lights(), (std::vector<int>{1, 1, 1, 1}));
    setObjectLight(sat, 32);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 31, 31}));
    setObjectLight(sat, 0);
    EXPECT_EQ(lights(), (std::vector<int>{1, 1, 1, 1}));
    for (int n = 0; n < 4; ++n) sat->vertices[n].shade = int16_t(2 + n);
    bakeObjectShade(sat);
    EXPECT_EQ(lights(), (std::vector<int>{2, 3, 4, 5}));
}

TEST_F(SceneFile, CheckFindsFacesOnTexturesTheFileLeftEmpty) {
    // Star's face uses texture 2; a texture file of two leaves that entry empty.
    const Bytes two = textureFile({solidTexture(2, 2, {0}), solidTexture(2, 2, {0})});
    ASSERT_EQ(loadTextureFile(dir.write("two.vx2", two)), 1);
    EXPECT_EQ(checkSceneTextures(), 0);
    EXPECT_EQ(lastLoadError().file, scenePath);
    // Sat: header 56, 4 vertices, 2 faces; Star: header 56, 3 vertices, then its face.
    EXPECT_EQ(lastLoadError().offset, (56 + 4 * 32 + 2 * 32) + 56 + 3 * 32 + 24);
    EXPECT_NE(lastLoadError().reason.find("Star"), std::string::npos) << lastLoadError().reason;

    ASSERT_EQ(loadTextureFile(texturePath), 1);
    EXPECT_EQ(checkSceneTextures(), 1);
}

TEST_F(SceneFile, EveryCraftedFileIsAcceptedOrRejectedCleanly) {
    loadEveryCrafted("scene", craftedSceneFiles(), loadSceneFile, scenePath);
    EXPECT_EQ(loadSceneFile(dir.path() / "absent.vx1"), 0);
    EXPECT_EQ(loadSceneFile(dir.path()), 0);  // a directory
    expectRenderable();
}

TEST_F(SceneFile, ErrorsNameTheOffendingField) {
    // In the one-triangle object: header 56 bytes (counts at 48), 3 vertices of 32, then the
    // face: corners at +0, +8, +16, texture at +24.
    const std::pair<const char*, int64_t> cases[] = {
        {"bad-name-unterminated.vx1", 0}, {"bad-vertex-count-negative.vx1", 48},
        {"bad-counts-overflow.vx1", 48}, {"bad-vertex-index-past-end.vx1", 56 + 96 + 8},
        {"bad-texture-index-128.vx1", 56 + 96 + 24}, {"bad-count-claims-missing-object.vx1", 2 * 184}};
    for (const auto& [name, offset] : cases) {
        EXPECT_EQ(loadSceneFile(committedPath("scene", name)), 0);
        EXPECT_EQ(lastLoadError().offset, offset) << name << ": " << lastLoadError().reason;
    }
    // A name that would drive a terminal is shown with its control bytes replaced.
    ObjectSpec hostile = triangleObject("\x1b[2J\xff", 200);
    EXPECT_EQ(loadSceneFile(dir.write("hostile.vx1", sceneFile({hostile}))), 0);
    EXPECT_NE(lastLoadError().reason.find("\"?[2J?\""), std::string::npos) << lastLoadError().reason;
}

// A World and a VertexLightEffect point into the objects' arrays. Loading a scene again must
// not release them (the sanitizer build reports any read of released memory), only freeScene.
TEST_F(SceneFile, ReloadKeepsWhatEarlierLoadsHandedOut) {
    initEngine(&renderContext);
    stackInit(&matrixStack, 4);
    ASSERT_EQ(loadTextureFile(texturePath), 1);
    for (int i = 0; i < sceneObjectCount; ++i) SceneTable[i].worldMember = 1;
    auto world = std::make_unique<World>();
    ASSERT_EQ(buildWorld(world.get(), SceneTable, sceneObjectCount, 2, 2, 1), 0);
    ASSERT_GT(world->cellCount, 0);
    VertexLightEffect effect{};
    effect.x = 10, effect.y = 80, effect.z = 5;  // on Sat's third vertex
    effect.intensity = 64;
    ASSERT_GT(createVertexLightEffect(&effect, 500, 200, 300, 1, SceneTable, sceneObjectCount), 0);
    MeshVertex* lit = effect.vertices[0];
    const MeshVertex* earlier = SceneTable[0].vertices.get();

    ASSERT_EQ(loadSceneFile(scenePath), 1);
    ASSERT_EQ(loadTextureFile(texturePath), 1);
    EXPECT_NE(SceneTable[0].vertices.get(), earlier);  // the table holds new arrays

    loadIdentity();
    translateCurrent(-60, -30, -400);
    for (int frame = 0; frame < 3; ++frame) {
        ++renderContext.frameCounter;
        updateVertexLightEffect(&effect);
        renderWorld(world.get());
        renderWorldNear(world.get());
        flushFaceQueue(&faceQueue);
    }
    EXPECT_GT(worldStats.facesSubmitted, 0);
    EXPECT_GT(lit->light, lit->lightSaved);  // the effect still lights the earlier vertex
    removeVertexLightEffect(&effect);
    EXPECT_EQ(lit->light, lit->lightSaved);
    freeWorld(world.get());

    freeScene();
    EXPECT_EQ(sceneObjectCount, 0);
    EXPECT_EQ(SceneTable[0].vertices, nullptr);
    freeTextures();
    EXPECT_EQ(textureCount, 0);
    EXPECT_EQ(TextureTable[0].texels, nullptr);
    stackFree(&matrixStack);
}

TEST_F(SceneFile, CutAndSpoiledFilesNeverLeaveAHalfLoadedTable) {
    // A cut file may be a file of its own: its new last 4 bytes a count of the objects before
    // them, or of none.
    cutAndSpoil(referenceScene(), 0xA5, loadSceneFile, [&](size_t) {
        ASSERT_LE(sceneObjectCount, 2);
        ASSERT_EQ(loadSceneFile(scenePath), 1);
    });
}

TEST(SceneSeeds, CommittedCopiesMatchTheCatalogue) {
    expectCommittedCopies("scene", craftedSceneFiles());
}

}  // namespace
}  // namespace vxtest
