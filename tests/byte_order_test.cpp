// SPDX-License-Identifier: MIT
// Byte order of the files the tools write, against bytes spelled out here: the scene and
// texture files as vxpack writes and reads them (little-endian) and PNG screenshots (big-endian
// fields). Each multi-byte value has two different bytes, so a field written in the machine's
// own order fails here on a big-endian machine (scripts/cross.sh s390x). The engine's loaders
// are pinned the same way by the data tests, whose file builders write little-endian bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "files.h"
#include "host/png_writer.h"
#include "images.h"
#include "support/data_files.h"

namespace vxtest {
namespace {

using namespace veloxia;

// Bytes from hexadecimal pairs separated by spaces.
Bytes hex(const std::string& text) {
    std::istringstream in(text);
    Bytes out;
    for (std::string pair; in >> pair;) out.push_back(uint8_t(std::stoul(pair, nullptr, 16)));
    return out;
}

// One object "Be": a matrix whose translation is 258, -2, 0x7F00; three vertices; one face.
const Bytes kScene = hex(
    "42 65 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "  // name
    "00 40 00 00 00 00 00 00 00 40 00 00 00 00 00 00 00 40 02 01 FE FF 00 7F "  // matrix
    "03 00 00 00 01 00 00 00 "                                                  // 3 vertices, 1 face
    // per-frame fields (8 x i16), then x, y, z, light, nx, ny, nz, lightSaved
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 01 FD FF 34 12 1F 00 00 7D 00 83 00 01 00 00 "
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 03 00 00 FF 7F 10 00 00 00 00 00 00 80 00 00 "
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FC 01 80 00 00 00 00 00 00 00 00 00 00 "
    // three corners (vertex i32, u i16, v i16), texture i32, cell i32
    "00 00 00 00 20 01 10 00 01 00 00 00 F0 FF 00 02 02 00 00 00 00 00 00 00 05 00 00 00 FF FF FF FF "
    "01 00 00 00");  // the object count

// One 2x4 texture: draw mode 1, culled, one frame, a delay of 259, eight level-0 texels.
const Bytes kTextures = hex(
    "01 00 00 00 "
    "02 00 00 00 04 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 03 01 00 00 "
    "E0 1F 20 00 00 20 E0 3F 40 01 00 00 A0 05 00 3E");
const std::vector<uint16_t> kTexels{0x1FE0, 0x0020, 0x2000, 0x3FE0, 0x0140, 0x0000, 0x05A0, 0x3E00};

vxpack::PackScene packScene() {
    vxpack::PackObject object;
    object.name = "Be";
    object.matrix = {16384, 0, 0, 0, 16384, 0, 0, 0, 16384, 258, -2, 0x7F00};
    object.vertices = {{258, -3, 0x1234, 31, 32000, -32000, 256}, {768, 0, 32767, 16, 0, 0, -32768},
                       {0, -1024, -32767, 0, 0, 0, 0}};
    object.faces = {{{0, 1, 2}, {0x120, -16, 0}, {16, 0x200, 0}, 5}};
    return {{object}};
}

vxpack::PackTextures packTextures() {
    vxpack::PackTexture texture;
    texture.width = 2;
    texture.height = 4;
    texture.drawMode = 1;
    texture.backfaceCull = 1;
    texture.frameDelay = 259;
    texture.frames = {kTexels};
    return {{texture}};
}

class ByteOrder : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(ByteOrder, VxpackWritesAndReadsBothFilesLittleEndian) {
    EXPECT_EQ(vxpack::sceneFileBytes(packScene()), kScene);
    EXPECT_EQ(vxpack::textureFileBytes(packTextures()), kTextures);

    const vxpack::PackScene scene = vxpack::parseSceneFile(kScene);
    ASSERT_EQ(scene.objects.size(), 1u);
    const vxpack::PackObject& o = scene.objects[0];
    EXPECT_EQ(o.matrix, packScene().objects[0].matrix);
    ASSERT_EQ(o.vertices.size(), 3u);
    EXPECT_EQ((std::vector<int>{o.vertices[0].x, o.vertices[0].y, o.vertices[0].z, o.vertices[0].nx}),
              (std::vector<int>{258, -3, 0x1234, 32000}));
    ASSERT_EQ(o.faces.size(), 1u);
    EXPECT_EQ(o.faces[0].u, (std::array<int16_t, 3>{0x120, -16, 0}));
    EXPECT_EQ(o.faces[0].texture, 5);

    const vxpack::PackTextures textures = vxpack::parseTextureFile(kTextures);
    ASSERT_EQ(textures.textures.size(), 1u);
    EXPECT_EQ(textures.textures[0].frameDelay, 259);
    ASSERT_EQ(textures.textures[0].frames.size(), 1u);
    EXPECT_EQ(textures.textures[0].frames[0], kTexels);
}

TEST_F(ByteOrder, PngScreenshotsHaveBigEndianSizesAndTheirColours) {
    // A 3x2 picture of red, green, blue, white, black and grey in RGB565.
    const uint16_t pixels[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410};
    const auto file = dir.path() / "be.png";
    ASSERT_TRUE(writeRgb565Png(file, pixels, 3, 2).ok());
    const Bytes png = readBytes(file);
    ASSERT_GE(png.size(), 24u);
    // The signature, the IHDR chunk's length and name, then width and height, most significant byte first.
    EXPECT_EQ(Bytes(png.begin() + 8, png.begin() + 24),
              hex("00 00 00 0D 49 48 44 52 00 00 00 03 00 00 00 02"));
    const vxpack::RgbaImage image = vxpack::loadImage(file);
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2);
    const Bytes expected = hex("FF 00 00 FF 00 FF 00 FF 00 00 FF FF FF FF FF FF 00 00 00 FF 84 82 84 FF");
    EXPECT_EQ(image.pixels, expected);
}

}  // namespace
}  // namespace vxtest
