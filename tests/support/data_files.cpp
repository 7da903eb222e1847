// SPDX-License-Identifier: MIT
#include "support/data_files.h"

namespace vxtest {

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

Bytes tgaFile(const TgaImage& image) {
    Bytes out{uint8_t(image.id.size()), uint8_t(image.colourMapEntries ? 1 : 0), image.imageType};
    putI16(out, 0);                      // first colour-map entry
    putI16(out, image.colourMapEntries);  // colour-map length
    out.push_back(image.colourMapEntries ? 24 : 0);
    putI16(out, 0);  // x origin
    putI16(out, 0);  // y origin
    putI16(out, image.width);
    putI16(out, image.height);
    out.push_back(image.bitsPerPixel);
    out.push_back(image.descriptor);
    out.insert(out.end(), image.id.begin(), image.id.end());
    for (int i = 0; i < image.colourMapEntries * 3; ++i) out.push_back(0xEE);
    if (image.pixels.empty()) {
        out.insert(out.end(), size_t(image.width) * image.height * 3, 0x80);
    } else {
        out.insert(out.end(), image.pixels.begin(), image.pixels.end());
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

// Scene and texture files are the seeds of their fuzz harnesses as well, so they live once, in
// the fuzz corpus; the TGA harness takes its size-check flag from the input's first byte, so
// its seeds differ from these files.
std::filesystem::path committedPath(const std::string& kind, const std::string& name) {
    const std::filesystem::path source(VX_SOURCE_DIR);
    if (kind == "scene") return source / "fuzz" / "corpus" / "scene_file" / name;
    if (kind == "texture") return source / "fuzz" / "corpus" / "texture_file" / name;
    return source / "tests" / "data" / kind / name;
}

}  // namespace vxtest
