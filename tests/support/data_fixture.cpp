// SPDX-License-Identifier: MIT
#include "support/data_fixture.h"

#include "veloxia/raster.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace vxtest {

using namespace veloxia;

void LoadedReference::SetUp() {
    initShading(-8192, 10);
    scenePath = dir.write("scene.vx1", referenceScene());
    texturePath = dir.write("textures.vx2", referenceTextures());
    ASSERT_EQ(loadTextureFile(texturePath), 1) << lastLoadError().reason;
    ASSERT_EQ(loadSceneFile(scenePath), 1) << lastLoadError().reason;
    ASSERT_EQ(checkSceneTextures(), 1) << lastLoadError().reason;
}

void LoadedReference::loadEveryCrafted(const std::string& kind, const std::vector<CraftedFile>& files,
                                       int32_t (*load)(const std::filesystem::path&),
                                       const std::filesystem::path& reference) {
    for (const CraftedFile& file : files) {
        SCOPED_TRACE(file.name);
        ASSERT_EQ(load(reference), 1);
        const auto before = tableSnapshot();
        const auto path = committedPath(kind, file.name);
        if (file.accepted) {
            EXPECT_EQ(load(path), 1) << lastLoadError().reason;
        } else {
            EXPECT_EQ(load(path), 0);
            expectRejectedCleanly(path, before);
        }
    }
    ASSERT_EQ(load(reference), 1);
}

void LoadedReference::cutAndSpoil(const Bytes& good, uint8_t spoil, int32_t (*load)(const std::filesystem::path&),
                                  const std::function<void(size_t at)>& taken) {
    for (size_t at = 0; at < 2 * good.size(); ++at) {
        Bytes bad = good;
        if (at < good.size()) bad.resize(at);
        else bad[at - good.size()] ^= spoil;
        const auto before = tableSnapshot();
        const auto path = dir.write("bad", bad);
        if (load(path) == 1) {
            taken(at);
        } else {
            expectRejectedCleanly(path, before);
        }
    }
}

std::vector<uint64_t> tableSnapshot() {
    std::vector<uint64_t> out{uint64_t(sceneObjectCount), uint64_t(textureCount)};
    auto add = [&out](auto... values) { (out.push_back(uint64_t(values)), ...); };
    auto at = [](const void* p) { return reinterpret_cast<uintptr_t>(p); };
    for (const SceneObject& o : SceneTable) {
        for (char c : o.name) add(c);
        for (int16_t m : o.matrix) add(m);
        add(o.active, o.worldMember, o.vertexCount, at(o.vertices.get()), o.faceCount, at(o.faces.get()));
        for (int n = 0; n < o.vertexCount; ++n) {
            const MeshVertex& v = o.vertices[n];
            add(v.sx, v.sy, v.depth, v.shade, v.x, v.y, v.z, v.light, v.nx, v.ny, v.nz);
        }
        for (int n = 0; n < o.faceCount; ++n) {
            for (const FaceCorner& c : o.faces[n].corner) add(at(c.vertex), c.u, c.v);
            add(at(o.faces[n].texture), o.faces[n].cell);
        }
    }
    for (const Texture& t : TextureTable) {
        add(t.backfaceCull, t.width, t.height, t.drawMode, t.uMask, t.vMask, at(t.texels),
            t.frames.size(), t.averageColor, t.frameCount, t.frameIndex, t.frameDelay, t.frameTimer);
        for (const auto& frame : t.frames) {
            add(at(frame.get()));
            for (int n = 0; n < t.width * t.height; ++n) add(frame[n]);
        }
    }
    return out;
}

void expectRejectedCleanly(const std::filesystem::path& file, const std::vector<uint64_t>& before) {
    EXPECT_TRUE(tableSnapshot() == before) << file << " changed the tables";
    EXPECT_EQ(lastLoadError().file, file);
    EXPECT_FALSE(lastLoadError().reason.empty()) << file;
    EXPECT_EQ(checkSceneTextures(), 1) << file;
}

void expectRenderable() {
    for (int i = 0; i < sceneObjectCount; ++i) {
        const SceneObject& o = SceneTable[i];
        for (int n = 0; n < o.faceCount; ++n) {
            const MeshFace& f = o.faces[n];
            ProjectedVertex corners[3];
            for (int k = 0; k < 3; ++k) corners[k] = *f.corner[k].vertex;  // the pointers are live
            corners[0] = {20, 10, 100, 31};
            corners[1] = {200, 60, 100, 31};
            corners[2] = {60, 200, 100, 31};
            std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x20000000u);
            fillAffine(&corners[0], f.corner[0].u, f.corner[0].v, &corners[1], f.corner[1].u, f.corner[1].v,
                       &corners[2], f.corner[2].u, f.corner[2].v, f.texture);
            const auto drawn = std::count_if(std::begin(FrameBuffer), std::end(FrameBuffer),
                                             [](uint32_t cell) { return cell != 0x20000000u; });
            EXPECT_GT(drawn, 0) << o.name << " face " << n;
        }
    }
}

void expectCommittedCopies(const std::string& kind, const std::vector<CraftedFile>& files) {
    const char* regenerate = std::getenv("VX_REGENERATE_TEST_DATA");
    for (const CraftedFile& file : files) {
        const std::filesystem::path path = committedPath(kind, file.name);
        if (regenerate && std::string(regenerate) == "1") {
            std::filesystem::create_directories(path.parent_path());
            writeBytes(path, file.bytes);
        }
        EXPECT_TRUE(readBytes(path) == file.bytes)
            << path << " differs from the catalogue; rerun with VX_REGENERATE_TEST_DATA=1";
    }
}

}  // namespace vxtest
