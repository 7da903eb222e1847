// SPDX-License-Identifier: MIT
// Small scene and texture files for the benchmark's start-up tests, written in the handheld's
// little-endian layouts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <veloxia/types.h>

namespace vxtest {

struct SceneVertex {
    int16_t x, y, z, light;
};

struct SceneTriangle {
    int32_t a, b, c;
    int32_t texture;
};

struct SceneObjectSpec {
    std::string name;
    veloxia::Mat34 matrix;
    std::vector<SceneVertex> vertices;
    std::vector<SceneTriangle> faces;
};

// One object named `name`: a small triangle facing the viewer, translated by (tx, ty, tz).
SceneObjectSpec smallTriangle(const std::string& name, int16_t tx = 0, int16_t ty = 0, int16_t tz = 0);

void writeSceneFile(const std::filesystem::path& path, const std::vector<SceneObjectSpec>& objects);
// `count` opaque 8x8 textures of one colour.
void writeTextureFile(const std::filesystem::path& path, int count);

// A fresh directory under the test's temporary directory.
std::filesystem::path freshDirectory(const std::string& name);

}  // namespace vxtest
