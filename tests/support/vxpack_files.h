// SPDX-License-Identifier: MIT
// Small model files for the asset tool's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vxtest {

// An uncompressed TGA image (type 2), rows from the top. With alpha the pixels are
// (b, g, r, a) quadruples, else (b, g, r) triples.
void writeTga(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& pixels,
              bool alpha);
// A TGA of one colour.
void writeSolidTga(const std::filesystem::path& path, int width, int height, uint8_t r, uint8_t g, uint8_t b);

}  // namespace vxtest
