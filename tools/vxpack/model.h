// SPDX-License-Identifier: MIT
// The asset tool's picture of the two data files: plain values, no pointers.
//
// A PackScene is what the scene file stores and a PackTextures what the texture file stores,
// field for field; the writers turn them into bytes and the readers back. Positions, normals
// and texture coordinates are already in the engine's integer formats here.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <veloxia/fixedmath.h>

#include "pack_limits.h"

namespace vxpack {

// Every failure of the tool: a sentence for people, thrown where it is found and caught only in
// main, which prints it after "vxpack: error: " and exits 1.
struct PackError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Length of a stored vertex normal. lightSum treats 32768 as 1.0 (a wrap light then gives the
// full intensity to a vertex facing it); we stay a little below so that a normal rotated by a
// 2.14 matrix with rounding in its entries can never wrap past 32767.
inline constexpr int kNormalLength = 32000;
inline constexpr int16_t kOne = veloxia::kOne14;  // 1.0 in 2.14 fixed point (matrix entries)

struct PackVertex {
    int16_t x = 0, y = 0, z = 0;     // model-space position, engine units
    int16_t light = 31;              // base light level 0..31
    int16_t nx = 0, ny = 0, nz = 0;  // unit normal times kNormalLength
};

struct PackFace {
    std::array<int32_t, 3> vertex{};  // corners a, b, c: indices into the object's vertices
    std::array<int16_t, 3> u{}, v{};  // 12.4 texture coordinates, sixteenths of a texel
    int32_t texture = 0;              // index into the texture file
};

struct PackObject {
    std::string name;  // 1..23 ASCII characters
    std::array<int16_t, 12> matrix{kOne, 0, 0, 0, kOne, 0, 0, 0, kOne, 0, 0, 0};  // Mat34
    std::vector<PackVertex> vertices;
    std::vector<PackFace> faces;
};

struct PackTexture {
    int32_t width = 0, height = 0;
    int32_t drawMode = 0;      // 0 opaque, 1 keyed (texel 0 transparent), 2 averaged, 3 both
    int32_t backfaceCull = 1;  // non-zero: faces turned away are dropped
    int32_t frameDelay = 0;
    std::vector<std::vector<uint16_t>> frames;  // each width * height ColorIndex texels, level 0
};

struct PackScene {
    std::vector<PackObject> objects;
};

struct PackTextures {
    std::vector<PackTexture> textures;
};

const char* drawModeName(int32_t mode);  // "opaque", "keyed", "averaged", "keyed+averaged"

}  // namespace vxpack
