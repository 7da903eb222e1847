// SPDX-License-Identifier: MIT
// The scene file: object blocks from the start of the file, the object count in its last
// 4 bytes. Loading reads every object into temporaries and checks every count and index
// before the table is touched; the table then takes the new objects as a whole, and the arrays
// of the objects it held are kept until freeScene(), so nothing handed out earlier dangles.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "data/file_reader.h"
#include "engine/wrap.h"
#include "veloxia/data.h"

namespace veloxia {

SceneObject SceneTable[kMaxSceneObjects];
int32_t sceneObjectCount = 0;

namespace {

using data::describe;
using data::FileReader;
using data::readLe16;
using data::readLe32;

// Where the loaded objects' face records start in the file, to name the place of a face
// whose texture turns out to be missing once the texture file is loaded.
std::filesystem::path loadedScenePath;
std::array<int64_t, kMaxSceneObjects> loadedFaceOffsets{};

// The arrays of objects that a later load replaced, kept alive for whatever still points
// into them.
struct RetiredObject {
    std::unique_ptr<MeshVertex[]> vertices;
    std::unique_ptr<MeshFace[]> faces;
};
std::vector<RetiredObject> retired;

// An object name as messages show it: bytes outside printable ASCII become '?', so a
// hostile name cannot drive the terminal the reason is printed on.
std::string shown(const char* name) {
    std::string text(name);
    for (char& c : text) {
        if (c < 0x20 || c > 0x7E) c = '?';
    }
    return text;
}

bool readHeader(FileReader& in, int index, SceneObject& object) {
    uint8_t bytes[kSceneObjectHeaderBytes];
    const int64_t start = in.offset();
    if (!in.read(bytes, sizeof bytes)) return false;
    if (!std::memchr(bytes, 0, kSceneNameBytes)) {
        in.fail(start, describe("object %d: the name is not terminated within %d bytes", index,
                                kSceneNameBytes));
        return false;
    }
    std::memcpy(object.name, bytes, kSceneNameBytes);
    object.active = 1;
    object.worldMember = 0;
    for (int i = 0; i < 12; ++i) object.matrix[i] = int16_t(readLe16(bytes + 24 + 2 * i));
    object.vertexCount = readLe32(bytes + 48);
    object.faceCount = readLe32(bytes + 52);
    if (object.vertexCount < 0 || object.faceCount < 0) {
        in.fail(start + 48, describe("object \"%s\": negative count (%d vertices, %d faces)",
                                     shown(object.name).c_str(), object.vertexCount, object.faceCount));
        return false;
    }
    return true;
}

bool readVertices(FileReader& in, SceneObject& object) {
    object.vertices = std::make_unique<MeshVertex[]>(size_t(object.vertexCount));
    for (int32_t n = 0; n < object.vertexCount; ++n) {
        uint8_t bytes[kSceneRecordBytes];
        if (!in.read(bytes, sizeof bytes)) return false;
        int16_t f[16];
        for (int i = 0; i < 16; ++i) f[i] = int16_t(readLe16(bytes + 2 * i));
        // The per-frame fields are kept as stored, as they would be in memory.
        object.vertices[n] = MeshVertex{{f[0], f[1], f[2], f[3]}, f[4], f[5], f[6], f[7],
                                        f[8], f[9], f[10], f[11], f[12], f[13], f[14], f[15]};
    }
    return true;
}

bool readFaces(FileReader& in, SceneObject& object) {
    object.faces = std::make_unique<MeshFace[]>(size_t(object.faceCount));
    for (int32_t n = 0; n < object.faceCount; ++n) {
        uint8_t bytes[kSceneRecordBytes];
        const int64_t start = in.offset();
        if (!in.read(bytes, sizeof bytes)) return false;
        MeshFace& face = object.faces[n];
        for (int k = 0; k < 3; ++k) {
            const int32_t vertex = readLe32(bytes + 8 * k);
            if (vertex < 0 || vertex >= object.vertexCount) {
                in.fail(start + 8 * k,
                        describe("object \"%s\", face %d: corner %d names vertex %d, but the "
                                 "object has %d vertices",
                                 shown(object.name).c_str(), n, k, vertex, object.vertexCount));
                return false;
            }
            face.corner[k] = FaceCorner{&object.vertices[vertex], int16_t(readLe16(bytes + 8 * k + 4)),
                                        int16_t(readLe16(bytes + 8 * k + 6))};
        }
        const int32_t texture = readLe32(bytes + 24);
        if (texture < 0 || texture >= kMaxTextures) {
            in.fail(start + 24, describe("object \"%s\", face %d: texture %d is outside the "
                                         "texture table of %d entries",
                                         shown(object.name).c_str(), n, texture, kMaxTextures));
            return false;
        }
        // Faces name texture table entries by place; the texture file fills them later.
        face.texture = &TextureTable[texture];
        face.cell = readLe32(bytes + 28);
    }
    return true;
}

bool readObject(FileReader& in, int64_t end, int index, SceneObject& object, int64_t& faceOffset) {
    const int64_t start = in.offset();
    if (end - start < kSceneObjectHeaderBytes) {
        in.fail(start, describe("object %d of the count is missing or cut short", index));
        return false;
    }
    if (!readHeader(in, index, object)) return false;
    const int64_t claimed = (int64_t(object.vertexCount) + object.faceCount) * kSceneRecordBytes;
    if (claimed > end - in.offset()) {
        in.fail(start + 48, describe("object \"%s\" claims %d vertices and %d faces (%lld bytes), "
                                     "but only %lld bytes lie before the object count",
                                     shown(object.name).c_str(), object.vertexCount, object.faceCount,
                                     static_cast<long long>(claimed),
                                     static_cast<long long>(end - in.offset())));
        return false;
    }
    if (!readVertices(in, object)) return false;
    faceOffset = in.offset();
    return readFaces(in, object);
}

// The TextureTable entry a face names, or -1 for a texture outside the table (an object
// built by a program rather than loaded). std::less orders unrelated pointers safely.
int tableEntry(const Texture* texture) {
    const std::less<const Texture*> before;
    if (!texture || before(texture, TextureTable) || !before(texture, TextureTable + kMaxTextures)) return -1;
    return int(texture - TextureTable);
}

int32_t loadScene(FileReader& in) {
    if (in.size() < 4) return in.fail(0, "the file is too short to hold the object count");
    const int64_t end = in.size() - 4;
    int32_t count = 0;
    if (!in.seek(end) || !in.readI32(count) || !in.seek(0)) return 0;
    if (count > kMaxSceneObjects) {
        return in.fail(end, describe("the object count %d is above the limit of %d", count,
                                     kMaxSceneObjects));
    }
    count = std::max(count, 0);  // a count of 0 or less loads no object
    std::vector<SceneObject> objects(static_cast<size_t>(count));
    std::array<int64_t, kMaxSceneObjects> faceOffsets{};
    for (int i = 0; i < count; ++i) {
        if (!readObject(in, end, i, objects[size_t(i)], faceOffsets[size_t(i)])) return 0;
    }
    // Bytes between the last object and the count are not read: the count is found by its
    // place at the end, not by walking the blocks.
    //
    // Everything checked: the table takes the new objects, entries past them are emptied, and
    // the arrays they held are kept. Moving keeps the arrays in place, so the faces' corners
    // stay valid.
    retired.reserve(retired.size() + kMaxSceneObjects);  // no allocation once the table changes
    for (int i = 0; i < kMaxSceneObjects; ++i) {
        SceneObject& entry = SceneTable[i];
        if (entry.vertices || entry.faces) retired.push_back({std::move(entry.vertices), std::move(entry.faces)});
        entry = i < count ? std::move(objects[size_t(i)]) : SceneObject{};
    }
    sceneObjectCount = count;
    loadedScenePath = in.path();
    loadedFaceOffsets = faceOffsets;
    data::loadSuccess(in.path());
    return 1;
}

}  // namespace

int32_t loadSceneFile(const std::filesystem::path& path) {
    FileReader in;
    if (!in.open(path)) return 0;
    try {
        return loadScene(in);
    } catch (const std::bad_alloc&) {
        return in.fail(in.offset(), "not enough memory for the objects");
    }
}

SceneObject* findSceneObject(const char* name) {
    if (!name) return nullptr;
    for (int i = 0; i < sceneObjectCount; ++i) {
        if (std::strcmp(SceneTable[i].name, name) == 0) return &SceneTable[i];
    }
    return nullptr;
}

int32_t checkObjectTextures(const SceneObject* object) {
    if (!object) return 1;
    const std::less<const SceneObject*> before;
    const bool loaded = !before(object, SceneTable) && before(object, SceneTable + sceneObjectCount);
    for (int32_t n = 0; n < object->faceCount; ++n) {
        const int entry = tableEntry(object->faces[n].texture);
        if (entry >= 0 && entry < textureCount && TextureTable[entry].texels) continue;
        const int64_t faceOffset = loaded ? loadedFaceOffsets[size_t(object - SceneTable)] : 0;
        return data::loadFailure(
            loaded ? loadedScenePath : std::filesystem::path(),
            loaded ? faceOffset + int64_t(n) * kSceneRecordBytes + 24 : 0,
            describe("object \"%s\", face %d uses texture %d, but the texture file holds "
                     "%d textures",
                     shown(object->name).c_str(), n, entry, std::max(textureCount, 0)));
    }
    data::loadSuccess(loadedScenePath);
    return 1;
}

int32_t checkSceneTextures() {
    for (int i = 0; i < sceneObjectCount; ++i) {
        if (checkObjectTextures(&SceneTable[i]) == 0) return 0;
    }
    data::loadSuccess(loadedScenePath);
    return 1;
}

void freeScene() {
    for (SceneObject& entry : SceneTable) entry = SceneObject{};
    sceneObjectCount = 0;
    retired.clear();
    retired.shrink_to_fit();
}

void centreSceneObject(SceneObject* object) {
    if (!object) return;
    for (int32_t n = 0; n < object->vertexCount; ++n) {
        MeshVertex& v = object->vertices[n];
        v.x = low16(wrapSub(v.x, object->matrix[9]));
        v.y = low16(wrapSub(v.y, object->matrix[10]));
        v.z = low16(wrapSub(v.z, object->matrix[11]));
    }
}

// Light levels 0..31 are the shade functions' input; the operations keep them in 1..31.
void setObjectLight(SceneObject* object, int32_t level) {
    if (!object) return;
    const auto light = int16_t(std::clamp(level, 1, 31));
    for (int32_t n = 0; n < object->vertexCount; ++n) object->vertices[n].light = light;
}

void raiseObjectLight(SceneObject* object, int32_t level) {
    if (!object) return;
    const int32_t floor = level >= 32 ? 31 : level;
    for (int32_t n = 0; n < object->vertexCount; ++n) {
        MeshVertex& v = object->vertices[n];
        if (v.light < floor) v.light = int16_t(floor);
    }
}

void scaleObjectLight(SceneObject* object, int32_t factor) {
    if (!object) return;
    for (int32_t n = 0; n < object->vertexCount; ++n) {
        MeshVertex& v = object->vertices[n];
        v.light = int16_t(std::clamp(sar(wrapMul(v.light, factor), 8), 1, 31));
    }
}

void bakeObjectShade(SceneObject* object) {
    if (!object) return;
    for (int32_t n = 0; n < object->vertexCount; ++n) object->vertices[n].light = object->vertices[n].shade;
}

}  // namespace veloxia
