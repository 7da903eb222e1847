// SPDX-License-Identifier: MIT
// Writes RGB565 pictures as PNG files, atomically: the picture goes to a temporary name beside
// the target and is renamed into place, so a failure never leaves a half-written file.
#pragma once

#include <cstdint>
#include <filesystem>

#include "util/result.h"

namespace veloxia {

// pixels: width * height RGB565 values, row-major. Channels widen by bit replication
// (5-bit r becomes r << 3 | r >> 2), so 0xFFFF is pure white. Fails with a reason naming the path.
Result writeRgb565Png(const std::filesystem::path& path, const uint16_t* pixels, int width, int height);

}  // namespace veloxia
