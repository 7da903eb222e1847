// SPDX-License-Identifier: MIT
// The scene file: how records land in memory, the search by name, centring, the light
// operations, and every crafted bad file rejected with the tables left as they were.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "support/data_fixture.h"
#include "veloxia/data.h"

namespace vxtest {
namespace {

using namespace veloxia;

using SceneFile = LoadedReference;

TEST_F(SceneFile, RecordsLandInTheirFieldsAndIndicesBecomeReferences) {
    ObjectSpec object = triangleObject("Probe", 2);
    for (int i = 0; i < 16; ++i) object.vertices[1].fields[size_t(i)] = int16_t(100 + i);
    object.matrix = {1, 2, 3, 4, 5, 6, 7, 8, 9, -10, 11, -12};
    FaceSpec face;
    face.corners = {2, 0, 1};
    face.u = {-16, 48, 5};
    face.v = {3, -7, 40};
    face.texture = 1;
    face.cell = 9;
    object.faces.push_back(face);
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
    EXPECT_EQ(f.corner[2].v, 40);
    EXPECT_EQ(f.texture, &TextureTable[1]);
    EXPECT_EQ(f.cell, 9);
    EXPECT_EQ(o.faces[0].texture, &TextureTable[2]);
    EXPECT_EQ(o.faces[0].cell, -1);
    EXPECT_TRUE(lastLoadError().reason.empty());
}

TEST_F(SceneFile, CountZeroLoadsAnEmptyTable) {
    ASSERT_EQ(loadSceneFile(dir.write("empty.vx1", sceneFile({}))), 1);
    EXPECT_EQ(sceneObjectCount, 0);
    EXPECT_EQ(findSceneObject("Sat"), nullptr);
    EXPECT_EQ(findSceneObject(""), nullptr);
    // The previous objects are gone, not merely hidden behind the count.
    EXPECT_EQ(SceneTable[0].vertices, nullptr);
    EXPECT_EQ(SceneTable[0].name[0], '\0');
}

TEST_F(SceneFile, SixtyFourObjectsFitAndSixtyFiveDoNot) {
    std::vector<ObjectSpec> objects(64, triangleObject("Many", 1));
    objects.back().name = "Last";
    ASSERT_EQ(loadSceneFile(dir.write("64.vx1", sceneFile(objects))), 1);
    EXPECT_EQ(sceneObjectCount, 64);
    EXPECT_EQ(findSceneObject("Last"), &SceneTable[63]);

    const TableSnapshot before = TableSnapshot::take();
    objects.push_back(triangleObject("Extra", 1));
    const Bytes bytes = sceneFile(objects);
    const auto path = dir.write("65.vx1", bytes);
    EXPECT_EQ(loadSceneFile(path), 0);
    expectRejectedCleanly(path, before);
    EXPECT_EQ(sceneObjectCount, 64);  // the rejected count never reaches the table
    EXPECT_EQ(lastLoadError().offset, int64_t(bytes.size()) - 4);
}

TEST_F(SceneFile, ALoadReplacesEntriesPastTheNewCount) {
    ASSERT_EQ(loadSceneFile(dir.write("64.vx1", sceneFile(std::vector<ObjectSpec>(64, triangleObject("Many"))))), 1);
    ASSERT_EQ(loadSceneFile(scenePath), 1);
    EXPECT_EQ(sceneObjectCount, 2);
    EXPECT_EQ(SceneTable[2].faces, nullptr);
    EXPECT_EQ(SceneTable[63].vertexCount, 0);
}

TEST_F(SceneFile, FindReturnsTheFirstExactMatch) {
    ObjectSpec first = triangleObject("Twin");
    ObjectSpec second = triangleObject("Twin");
    second.matrix[9] = 99;
    ASSERT_EQ(loadSceneFile(dir.write("twins.vx1", sceneFile({triangleObject("Other"), first, second}))), 1);
    EXPECT_EQ(findSceneObject("Twin"), &SceneTable[1]);
    EXPECT_EQ(findSceneObject("Twi"), nullptr);
    EXPECT_EQ(findSceneObject("Twins"), nullptr);
    EXPECT_EQ(findSceneObject("twin"), nullptr);
    EXPECT_EQ(findSceneObject(nullptr), nullptr);
}

TEST_F(SceneFile, CentringMovesTheTranslationToTheOrigin) {
    SceneObject* sat = findSceneObject("Sat");
    ASSERT_NE(sat, nullptr);
    const Mat34 matrix = sat->matrix;  // translation (10, -20, 5)
    centreSceneObject(sat);
    EXPECT_EQ(sat->matrix, matrix);
    EXPECT_EQ(sat->vertices[0].x, 0);
    EXPECT_EQ(sat->vertices[0].y, 0);
    EXPECT_EQ(sat->vertices[0].z, 0);
    EXPECT_EQ(sat->vertices[3].x, 100);
    EXPECT_EQ(sat->vertices[3].y, 100);

    // Results are kept as 16-bit values, wrapping.
    sat->vertices[1].x = -32768;
    sat->vertices[1].y = 32767;
    centreSceneObject(sat);
    EXPECT_EQ(sat->vertices[1].x, 32758);
    EXPECT_EQ(sat->vertices[1].y, -32768 + 19);
    centreSceneObject(nullptr);
}

class LightLevels : public LoadedReference {
protected:
    // Sat's vertices carry lights 31, 20, 10, 1.
    std::vector<int> lights() const {
        const SceneObject* sat = findSceneObject("Sat");
        std::vector<int> out;
        for (int n = 0; n < sat->vertexCount; ++n) out.push_back(sat->vertices[n].light);
        return out;
    }
    SceneObject* sat() const { return findSceneObject("Sat"); }
};

TEST_F(LightLevels, ScaleHalvesAndKeepsAtLeastOne) {
    scaleObjectLight(sat(), 128);
    EXPECT_EQ(lights(), (std::vector<int>{15, 10, 5, 1}));
    scaleObjectLight(sat(), 256);
    EXPECT_EQ(lights(), (std::vector<int>{15, 10, 5, 1}));
    scaleObjectLight(sat(), 1024);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 20, 4}));
    scaleObjectLight(sat(), -256);
    EXPECT_EQ(lights(), (std::vector<int>{1, 1, 1, 1}));
    setObjectLight(sat(), 31);
    scaleObjectLight(sat(), 1 << 27);  // 31 << 27 wraps negative in 32 bits
    EXPECT_EQ(lights(), (std::vector<int>{1, 1, 1, 1}));
}

TEST_F(LightLevels, SetAndRaiseLimitTheLevel) {
    raiseObjectLight(sat(), 20);
    EXPECT_EQ(lights(), (std::vector<int>{31, 20, 20, 20}));
    raiseObjectLight(sat(), -5);
    EXPECT_EQ(lights(), (std::vector<int>{31, 20, 20, 20}));
    raiseObjectLight(sat(), 40);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 31, 31}));
    setObjectLight(sat(), 0);
    EXPECT_EQ(lights(), (std::vector<int>{1, 1, 1, 1}));
    setObjectLight(sat(), 32);
    EXPECT_EQ(lights(), (std::vector<int>{31, 31, 31, 31}));
    setObjectLight(sat(), 17);
    EXPECT_EQ(lights(), (std::vector<int>{17, 17, 17, 17}));
    setObjectLight(nullptr, 3);
    raiseObjectLight(nullptr, 3);
    scaleObjectLight(nullptr, 3);
    bakeObjectShade(nullptr);
}

TEST_F(LightLevels, BakeKeepsTheLastDrawnShade) {
    for (int n = 0; n < 4; ++n) sat()->vertices[n].shade = int16_t(2 + n);
    bakeObjectShade(sat());
    EXPECT_EQ(lights(), (std::vector<int>{2, 3, 4, 5}));
}

TEST_F(SceneFile, CheckFindsFacesOnTexturesTheFileLeftEmpty) {
    // Star's face uses texture 2; a texture file of two leaves that entry empty.
    const Bytes two = textureFile({solidTexture(2, 2, {0x3800}), solidTexture(2, 2, {0x0700})});
    ASSERT_EQ(loadTextureFile(dir.write("two.vx2", two)), 1);
    EXPECT_EQ(checkSceneTextures(), 0);
    EXPECT_EQ(lastLoadError().file, scenePath);
    // Sat: header 56, 4 vertices, 2 faces; Star: header 56, 3 vertices, then its face.
    EXPECT_EQ(lastLoadError().offset, (56 + 4 * 32 + 2 * 32) + 56 + 3 * 32 + 24);
    EXPECT_NE(lastLoadError().reason.find("Star"), std::string::npos) << lastLoadError().reason;

    ASSERT_EQ(loadTextureFile(texturePath), 1);
    EXPECT_EQ(checkSceneTextures(), 1);
    EXPECT_TRUE(lastLoadError().reason.empty());
}

TEST_F(SceneFile, MissingFilesAndDirectoriesAreRejected) {
    const TableSnapshot before = TableSnapshot::take();
    EXPECT_EQ(loadSceneFile(dir.path() / "absent.vx1"), 0);
    expectRejectedCleanly(dir.path() / "absent.vx1", before);
    EXPECT_EQ(loadSceneFile(dir.path()), 0);
    expectRejectedCleanly(dir.path(), before);
}

TEST_F(SceneFile, EveryCraftedFileIsAcceptedOrRejectedCleanly) {
    for (const CraftedFile& file : craftedSceneFiles()) {
        SCOPED_TRACE(file.name);
        ASSERT_EQ(loadSceneFile(scenePath), 1);
        const TableSnapshot before = TableSnapshot::take();
        const auto path = committedPath("scene", file.name);
        if (file.accepted) {
            EXPECT_EQ(loadSceneFile(path), 1) << lastLoadError().reason;
            EXPECT_TRUE(sceneIsConsistent());
        } else {
            EXPECT_EQ(loadSceneFile(path), 0);
            expectRejectedCleanly(path, before);
        }
    }
}

TEST_F(SceneFile, ErrorsNameTheOffendingField) {
    struct Case {
        const char* name;
        int64_t offset;
    };
    // Offsets in the one-triangle object: header 56 bytes (counts at 48), 3 vertices of 32,
    // then the face: corners at +0, +8, +16, texture at +24.
    for (const Case c : {Case{"bad-name-unterminated.vx1", 0}, Case{"bad-vertex-count-negative.vx1", 48},
                         Case{"bad-vertex-count-beyond-file.vx1", 48}, Case{"bad-counts-overflow.vx1", 48},
                         Case{"bad-vertex-index-past-end.vx1", 56 + 96 + 8},
                         Case{"bad-texture-index-128.vx1", 56 + 96 + 24},
                         Case{"bad-count-claims-missing-object.vx1", 2 * (56 + 96 + 32)},
                         Case{"bad-bytes-before-count.vx1", 2 * (56 + 96 + 32)}}) {
        EXPECT_EQ(loadSceneFile(committedPath("scene", c.name)), 0);
        EXPECT_EQ(lastLoadError().offset, c.offset) << c.name << ": " << lastLoadError().reason;
    }
}

// Every prefix of a good file, and the good file with any one byte spoiled, either loads
// into a consistent table or is rejected leaving the table as it was.
TEST_F(SceneFile, CutAndSpoiledFilesNeverLeaveAHalfLoadedTable) {
    const Bytes good = referenceScene();
    TableSnapshot before = TableSnapshot::take();
    for (size_t length = 0; length < good.size(); ++length) {
        const auto path = dir.write("cut.vx1", Bytes(good.begin(), good.begin() + long(length)));
        ASSERT_EQ(loadSceneFile(path), 0) << length;
        expectRejectedCleanly(path, before);
    }
    for (size_t at = 0; at < good.size(); ++at) {
        Bytes spoiled = good;
        spoiled[at] ^= 0xA5;
        const auto path = dir.write("spoiled.vx1", spoiled);
        if (loadSceneFile(path) == 1) {
            EXPECT_TRUE(sceneIsConsistent()) << at;
            ASSERT_EQ(loadSceneFile(scenePath), 1);
            before = TableSnapshot::take();
        } else {
            expectRejectedCleanly(path, before);
        }
    }
}

TEST(SceneSeeds, CommittedCopiesMatchTheCatalogue) {
    expectCommittedCopies("scene", craftedSceneFiles());
}

}  // namespace
}  // namespace vxtest
