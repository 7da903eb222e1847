// SPDX-License-Identifier: MIT
#include "support/data_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

namespace vxtest {

using veloxia::SceneTable;
using veloxia::TextureTable;

void putI16(Bytes& out, int32_t value) {
    const auto bits = uint32_t(value);
    out.push_back(uint8_t(bits));
    out.push_back(uint8_t(bits >> 8));
}

void putI32(Bytes& out, int32_t value) {
    putI16(out, int32_t(uint32_t(value) & 0xFFFF));
    putI16(out, int32_t(uint32_t(value) >> 16));
}

VertexSpec VertexSpec::at(int16_t x, int16_t y, int16_t z, int16_t light) {
    VertexSpec v;
    v.fields[8] = x;
    v.fields[9] = y;
    v.fields[10] = z;
    v.fields[11] = light;
    v.fields[14] = 16384;  // normal along +z
    return v;
}

static void putObject(Bytes& out, const ObjectSpec& object) {
    char name[24] = {};
    object.name.copy(name, 24);
    out.insert(out.end(), name, name + 24);
    for (int16_t entry : object.matrix) putI16(out, entry);
    putI32(out, object.vertexCountField.value_or(int32_t(object.vertices.size())));
    putI32(out, object.faceCountField.value_or(int32_t(object.faces.size())));
    for (const VertexSpec& v : object.vertices) {
        for (int16_t field : v.fields) putI16(out, field);
    }
    for (const FaceSpec& f : object.faces) {
        for (int k = 0; k < 3; ++k) {
            putI32(out, f.corners[k]);
            putI16(out, f.u[k]);
            putI16(out, f.v[k]);
        }
        putI32(out, f.texture);
        putI32(out, f.cell);
    }
}

Bytes sceneFile(const std::vector<ObjectSpec>& objects, int32_t count) {
    Bytes out;
    for (const ObjectSpec& object : objects) putObject(out, object);
    putI32(out, count);
    return out;
}

Bytes sceneFile(const std::vector<ObjectSpec>& objects) {
    return sceneFile(objects, int32_t(objects.size()));
}

ObjectSpec triangleObject(const std::string& name, int32_t texture) {
    ObjectSpec object{name, {16384, 0, 0, 0, 16384, 0, 0, 0, 16384, 0, 0, 0}, {}, {}, {}, {}};
    object.vertices = {VertexSpec::at(0, 0, 0), VertexSpec::at(100, 0, 0), VertexSpec::at(0, 100, 0)};
    FaceSpec face;
    face.u = {0, 32, 0};
    face.v = {0, 0, 32};
    face.texture = texture;
    object.faces = {face};
    return object;
}

TextureSpec solidTexture(int32_t width, int32_t height, std::vector<uint16_t> frameColours) {
    TextureSpec t;
    t.width = width;
    t.height = height;
    t.frameCount = int32_t(frameColours.size());
    for (uint16_t colour : frameColours) t.frames.emplace_back(size_t(width * height), colour);
    return t;
}

Bytes textureFile(const std::vector<TextureSpec>& textures, int32_t count) {
    Bytes out;
    putI32(out, count);
    for (const TextureSpec& t : textures) {
        for (int32_t field : {t.width, t.height, t.drawMode, t.backfaceCull, t.frameCount, t.frameDelay}) {
            putI32(out, field);
        }
        for (const auto& frame : t.frames) {
            for (uint16_t texel : frame) putI16(out, texel);
        }
    }
    return out;
}

Bytes textureFile(const std::vector<TextureSpec>& textures) {
    return textureFile(textures, int32_t(textures.size()));
}

Bytes tgaFile(const TgaSpec& spec) {
    Bytes out{uint8_t(spec.id.size()), uint8_t(spec.colourMapEntries ? 1 : 0), spec.imageType};
    putI16(out, 0);                      // first colour-map entry
    putI16(out, spec.colourMapEntries);  // colour-map length
    out.push_back(spec.colourMapEntries ? 24 : 0);
    putI16(out, 0);  // x origin
    putI16(out, 0);  // y origin
    putI16(out, spec.width);
    putI16(out, spec.height);
    out.push_back(spec.bitsPerPixel);
    out.push_back(spec.descriptor);
    out.insert(out.end(), spec.id.begin(), spec.id.end());
    for (int i = 0; i < spec.colourMapEntries * 3; ++i) out.push_back(0xEE);
    if (spec.pixels.empty()) {
        out.insert(out.end(), size_t(spec.width) * spec.height * 3, 0x80);
    } else {
        out.insert(out.end(), spec.pixels.begin(), spec.pixels.end());
    }
    return out;
}

// Red, keyed two-frame and blended textures; faces of the reference scene use all three.
static std::vector<TextureSpec> referenceTextureSpecs() {
    TextureSpec red = solidTexture(2, 2, {0x3800});
    TextureSpec keyed = solidTexture(4, 2, {0x0000, 0x00E0});
    keyed.drawMode = 1;
    keyed.backfaceCull = 1;
    keyed.frameDelay = 3;
    keyed.frames[0][1] = 0x3FE0;
    TextureSpec blended = solidTexture(8, 8, {0x0700});
    blended.drawMode = 2;
    return {red, keyed, blended};
}

static std::vector<ObjectSpec> referenceObjects() {
    ObjectSpec sat{"Sat", {16384, 0, 0, 0, 16384, 0, 0, 0, 16384, 10, -20, 5}, {}, {}, {}, {}};
    sat.vertices = {VertexSpec::at(10, -20, 5, 31), VertexSpec::at(110, -20, 5, 20),
                    VertexSpec::at(10, 80, 5, 10), VertexSpec::at(110, 80, 5, 1)};
    FaceSpec first;
    first.u = {0, 16, 0};
    first.v = {0, 0, 16};
    first.cell = 7;
    FaceSpec second;
    second.corners = {1, 3, 2};
    second.u = {-16, 48, 5};
    second.v = {3, -7, 40};
    second.texture = 1;
    sat.faces = {first, second};
    return {sat, triangleObject("Star", 2)};
}

Bytes referenceScene() { return sceneFile(referenceObjects()); }
Bytes referenceTextures() { return textureFile(referenceTextureSpecs()); }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vxtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::string& name, const Bytes& bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return file;
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path committedPath(const std::string& kind, const std::string& name) {
    return std::filesystem::path(VX_SOURCE_DIR) / "tests" / "data" / kind / name;
}

static std::string row(const char* format, ...) __attribute__((format(printf, 1, 2)));
static std::string row(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

static void snapshotObject(int i, std::vector<std::string>& rows) {
    const veloxia::SceneObject& o = SceneTable[i];
    std::string matrix;
    for (int16_t entry : o.matrix) matrix += std::to_string(entry) + ",";
    rows.push_back(row("object %d %.24s %s %u %u %d %p %d %p", i, o.name, matrix.c_str(), o.active,
                       o.worldMember, o.vertexCount, static_cast<const void*>(o.vertices.get()),
                       o.faceCount, static_cast<const void*>(o.faces.get())));
    for (int n = 0; n < o.vertexCount; ++n) {
        const veloxia::MeshVertex& v = o.vertices[n];
        rows.push_back(row(" v %d %d %d %d %d %d %d %d", v.x, v.y, v.z, v.light, v.nx, v.ny, v.nz, v.shade));
    }
    for (int n = 0; n < o.faceCount; ++n) {
        const veloxia::MeshFace& f = o.faces[n];
        rows.push_back(row(" f %p %d %d %p %d %d %p %d %d %p %d",
                           static_cast<const void*>(f.corner[0].vertex), f.corner[0].u, f.corner[0].v,
                           static_cast<const void*>(f.corner[1].vertex), f.corner[1].u, f.corner[1].v,
                           static_cast<const void*>(f.corner[2].vertex), f.corner[2].u, f.corner[2].v,
                           static_cast<const void*>(f.texture), f.cell));
    }
}

static void snapshotTexture(int i, std::vector<std::string>& rows) {
    const veloxia::Texture& t = TextureTable[i];
    rows.push_back(row("texture %d %d %d %d %d %x %x %p %zu %x %d %d %d %d", i, t.backfaceCull, t.width,
                       t.height, t.drawMode, t.uMask, t.vMask, static_cast<const void*>(t.texels),
                       t.frames.size(), t.averageColor, t.frameCount, t.frameIndex, t.frameDelay,
                       t.frameTimer));
    for (const auto& frame : t.frames) {
        std::string texels = row(" frame %p", static_cast<const void*>(frame.get()));
        for (int n = 0; n < t.width * t.height; ++n) texels += row(" %x", frame[n]);
        rows.push_back(texels);
    }
}

TableSnapshot TableSnapshot::take() {
    TableSnapshot s;
    s.objectCount = veloxia::sceneObjectCount;
    s.texCount = veloxia::textureCount;
    for (int i = 0; i < veloxia::kMaxSceneObjects; ++i) snapshotObject(i, s.rows);
    for (int i = 0; i < veloxia::kMaxTextures; ++i) snapshotTexture(i, s.rows);
    return s;
}

static bool pointsAtVertexOf(const veloxia::SceneObject& o, const veloxia::ProjectedVertex* p) {
    for (int k = 0; k < o.vertexCount; ++k) {
        if (p == &o.vertices[k]) return true;
    }
    return false;
}

static bool pointsAtLoadedTexture(const veloxia::Texture* t) {
    for (int i = 0; i < veloxia::textureCount; ++i) {
        if (t == &TextureTable[i]) return t->texels != nullptr;
    }
    return false;
}

bool sceneIsConsistent() {
    for (int i = 0; i < veloxia::sceneObjectCount; ++i) {
        const veloxia::SceneObject& o = SceneTable[i];
        for (int n = 0; n < o.faceCount; ++n) {
            const veloxia::MeshFace& f = o.faces[n];
            for (const veloxia::FaceCorner& c : f.corner) {
                if (!pointsAtVertexOf(o, c.vertex)) return false;
            }
            if (!pointsAtLoadedTexture(f.texture)) return false;
        }
    }
    return true;
}

}  // namespace vxtest
