// SPDX-License-Identifier: MIT
// Builders for scene, texture and TGA files, and the catalogue of crafted (mostly hostile)
// files that the loader tests and the fuzzers share.
//
// The crafted files are also committed (the scene and texture files as the seeds of their fuzz
// harnesses under fuzz/corpus/, the TGA images under tests/data/tga/); they are generated from
// this catalogue (a test checks that they still match, and rewrites them when
// VX_REGENERATE_TEST_DATA=1 is set).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "veloxia/data.h"

namespace vxtest {

using Bytes = std::vector<uint8_t>;

// Appends little-endian fields.
void putI16(Bytes& out, int32_t value);
void putI32(Bytes& out, int32_t value);

// A scene vertex as stored: the sixteen i16 fields in record order.
struct VertexSpec {
    std::array<int16_t, 16> fields{};
    static VertexSpec at(int16_t x, int16_t y, int16_t z, int16_t light = 16);
};

struct FaceSpec {
    std::array<int32_t, 3> corners{0, 1, 2};
    std::array<int16_t, 3> u{0, 0, 0};
    std::array<int16_t, 3> v{0, 0, 0};
    int32_t texture = 0;
    int32_t cell = -1;
};

struct ObjectSpec {
    std::string name;
    veloxia::Mat34 matrix{};
    std::vector<VertexSpec> vertices;
    std::vector<FaceSpec> faces;
    // Written instead of the real sizes when set: counts that lie about the records.
    std::optional<int32_t> vertexCountField, faceCountField;
};

// Object blocks in order, then the count (the number of objects unless given).
Bytes sceneFile(const std::vector<ObjectSpec>& objects);
Bytes sceneFile(const std::vector<ObjectSpec>& objects, int32_t count);
// A small triangle object: 3 vertices, one face on the given texture.
ObjectSpec triangleObject(const std::string& name, int32_t texture = 0);

struct TextureSpec {
    int32_t width = 2, height = 2, drawMode = 0, backfaceCull = 0, frameCount = 1, frameDelay = 0;
    std::vector<std::vector<uint16_t>> frames;  // written as given, whatever the header says
};
// A texture of one colour per frame.
TextureSpec solidTexture(int32_t width, int32_t height, std::vector<uint16_t> frameColours);
Bytes textureFile(const std::vector<TextureSpec>& textures);
Bytes textureFile(const std::vector<TextureSpec>& textures, int32_t count);

struct TgaImage {
    uint8_t imageType = 2, bitsPerPixel = 24, descriptor = 0;
    uint16_t width = 8, height = 8;
    std::string id;           // image identification field
    uint16_t colourMapEntries = 0;  // a colour map of 24-bit entries when non-zero
    Bytes pixels;             // blue, green, red per pixel; filled with grey when empty
};
Bytes tgaFile(const TgaImage& image);

// A crafted file and whether the loader accepts it (TGA: loaded with the size check on).
struct CraftedFile {
    std::string name;
    Bytes bytes;
    bool accepted;
};
std::vector<CraftedFile> craftedSceneFiles();
std::vector<CraftedFile> craftedTextureFiles();
std::vector<CraftedFile> craftedTgaFiles();
// The committed copy of a crafted file (kind "scene", "texture" or "tga").
std::filesystem::path committedPath(const std::string& kind, const std::string& name);

// The good pair every hostile case is tried against: two objects on three textures.
Bytes referenceScene();
Bytes referenceTextures();


}  // namespace vxtest
