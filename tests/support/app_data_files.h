// SPDX-License-Identifier: MIT
// Small scene and texture files for the benchmark's start-up tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/data_files.h"

namespace vxtest {

// One object named `name`: a small triangle facing the viewer, translated by (tx, ty, tz).
ObjectSpec smallTriangle(const std::string& name, int16_t tx = 0, int16_t ty = 0, int16_t tz = 0);

void writeSceneFile(const std::filesystem::path& path, const std::vector<ObjectSpec>& objects);
// `count` opaque 8x8 textures of one colour.
void writeTextureFile(const std::filesystem::path& path, int count);

// A fresh directory under the test's temporary directory.
std::filesystem::path freshDirectory(const std::string& name);

}  // namespace vxtest
