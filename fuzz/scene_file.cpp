// SPDX-License-Identifier: MIT
// loadSceneFile on the input as a file. A failed load must leave the table empty (as it was)
// with a reason; a loaded table must hold only references inside its own objects and the
// texture table, and its objects are then drawn and put through the light operations, as a
// program would use them.
#include <algorithm>
#include <iterator>
#include <string>

#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

// 128 textures of 8x8 texels in the four draw modes, so that every texture index a scene file
// may hold names a loaded texture.
void loadEveryTexture() {
    std::vector<uint8_t> file;
    const auto put = [&file](int32_t value) {
        for (int i = 0; i < 4; ++i) file.push_back(uint8_t(uint32_t(value) >> (8 * i)));
    };
    put(kMaxTextures);
    for (int32_t t = 0; t < kMaxTextures; ++t) {
        for (int32_t field : {8, 8, t % 4, t % 2, 1, 0}) put(field);  // w, h, mode, cull, frames, delay
        for (int i = 0; i < 64; ++i) {
            const uint16_t texel = uint16_t(((t * 64 + i) * 0x20) & 0x3FE0);
            file.insert(file.end(), {uint8_t(texel), uint8_t(texel >> 8)});
        }
    }
    check(loadTextureFile(scratchFile("textures.vx2", file)) == 1, "the 128 textures load");
}

bool inside(const void* p, const void* begin, size_t count, size_t size) {
    const auto* b = static_cast<const uint8_t*>(begin);
    const auto* q = static_cast<const uint8_t*>(p);
    return q >= b && q < b + count * size && (q - b) % ptrdiff_t(size) == 0;
}

void checkLoaded() {
    check(sceneObjectCount >= 0 && sceneObjectCount <= kMaxSceneObjects, "the object count fits the table");
    for (int32_t i = 0; i < sceneObjectCount; ++i) {
        SceneObject& o = SceneTable[i];
        check(std::find(std::begin(o.name), std::end(o.name), '\0') != std::end(o.name), "names are terminated");
        check(o.vertexCount >= 0 && o.faceCount >= 0, "counts are not negative");
        for (int32_t n = 0; n < o.faceCount; ++n) {
            const MeshFace& f = o.faces[size_t(n)];
            for (const FaceCorner& c : f.corner)
                check(inside(c.vertex, o.vertices.get(), size_t(o.vertexCount), sizeof(MeshVertex)),
                      "every corner is a vertex of its object");
            check(inside(f.texture, TextureTable, kMaxTextures, sizeof(Texture)), "every texture is a table entry");
        }
        const SceneObject* found = findSceneObject(o.name);
        check(found != nullptr && found <= &o && std::string(found->name) == o.name, "each name is found");
    }
}

// Draws every object in front of the eye and runs the light operations with `level`.
void useLoaded(int32_t level) {
    check(checkSceneTextures() == 1, "every face names one of the 128 loaded textures");
    for (int32_t i = 0; i < sceneObjectCount; ++i) {
        SceneObject* o = &SceneTable[i];
        loadIdentity();
        translateCurrent(0, 0, -700);
        renderObject(&renderContext, o);
        flushFaceQueue(&faceQueue);
        bakeObjectShade(o);
        centreSceneObject(o);
        scaleObjectLight(o, level);
        raiseObjectLight(o, level);
        setObjectLight(o, level);
    }
}

}  // namespace

int sceneFile(const uint8_t* data, size_t size) {
    static const std::filesystem::path emptyScene = [] {
        resetEngine();
        loadEveryTexture();
        return scratchFile("empty.vx1", std::vector<uint8_t>(4, 0));
    }();
    resetEngine();
    freeScene();  // replaced objects are kept until freed; one run must not keep the last one's
    check(loadSceneFile(emptyScene) == 1 && sceneObjectCount == 0, "the empty scene loads");

    if (loadSceneFile(scratchFile("scene.vx1", {data, size})) == 0) {
        check(sceneObjectCount == 0, "a failed load leaves the table as it was");
        check(!lastLoadError().reason.empty(), "a failed load gives a reason");
        return 0;
    }
    checkLoaded();
    ByteReader in(data, size);
    useLoaded(in.i32());
    return 0;
}

}  // namespace vxfuzz
