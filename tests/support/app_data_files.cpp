// SPDX-License-Identifier: MIT
#include "support/app_data_files.h"

#include <unistd.h>

namespace vxtest {

ObjectSpec smallTriangle(const std::string& name, int16_t tx, int16_t ty, int16_t tz) {
    ObjectSpec o{name, {16384, 0, 0, 0, 16384, 0, 0, 0, 16384, tx, ty, tz}, {}, {}, {}, {}};
    // Model positions include the translation, as the scene files store them.
    const auto t = [&](int dx, int dy) { return VertexSpec::at(int16_t(tx + dx), int16_t(ty + dy), tz, 31); };
    o.vertices = {t(-20, -20), t(20, -20), t(0, 20)};
    FaceSpec face;
    face.u = {0, 7 * 16, 0};
    face.v = {0, 0, 7 * 16};
    o.faces = {face};
    return o;
}

void writeSceneFile(const std::filesystem::path& path, const std::vector<ObjectSpec>& objects) {
    writeBytes(path, sceneFile(objects));
}

void writeTextureFile(const std::filesystem::path& path, int count) {
    // One red-ish ColorIndex at shade level 0.
    writeBytes(path, textureFile(std::vector<TextureSpec>(size_t(count), solidTexture(8, 8, {0x3E00}))));
}

std::filesystem::path freshDirectory(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("vx_app_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace vxtest
