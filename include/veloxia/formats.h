// SPDX-License-Identifier: MIT
// Sizes and limits of the engine's data files, named once for the loaders and the asset tool.
#pragma once

#include <cstdint>

namespace veloxia {

// Scene file: object blocks, then the object count in the last 4 bytes.
inline constexpr int kMaxSceneObjects = 64;        // entries of SceneTable
inline constexpr int kSceneNameBytes = 24;         // a name, zero-terminated within these bytes
inline constexpr int kSceneObjectHeaderBytes = 56; // name, matrix, vertex count, face count
inline constexpr int kSceneRecordBytes = 32;       // one vertex or one face record

// Texture file: the texture count, then per texture a header and its frames.
inline constexpr int kMaxTextures = 128;           // entries of TextureTable
inline constexpr int kTextureHeaderBytes = 24;     // width, height, draw mode, cull, frames, delay
// Texels a frame: (width * height - 1) << 16, the largest wrapped 16.16 texel index the fillers
// form, must fit in 32 bits.
inline constexpr int32_t kMaxTextureTexels = 65536;

// TGA image: the fixed header before the identification field, colour map and pixels.
inline constexpr int kTgaHeaderBytes = 18;

// Far above any real scene or texture file (the handheld had 64 MiB in all), and low enough
// that a huge or sparse file cannot make a loader read or allocate gigabytes.
inline constexpr int64_t kMaxDataFileBytes = int64_t{256} << 20;

}  // namespace veloxia
