// SPDX-License-Identifier: MIT
// Every limit of the engine's loaders and pipeline that vxpack checks a pack against, in one
// place; the formats' own sizes come from the header the engine's loaders use.
#pragma once

#include <cstdint>

#include <veloxia/formats.h>
#include <veloxia/pipeline.h>

namespace vxpack {

inline constexpr int kMaxObjects = veloxia::kMaxSceneObjects;
inline constexpr int kMaxTextures = veloxia::kMaxTextures;
inline constexpr int kMaxNameLength = veloxia::kSceneNameBytes - 1;  // with the terminator
inline constexpr int kMinTextureSide = 8;    // texture sides: powers of two 8..128, as the engine's
inline constexpr int kMaxTextureSide = 128;  // own TGA size check accepts
// Largest scene or texture file the engine's loaders read.
inline constexpr int64_t kMaxDataFileBytes = veloxia::kMaxDataFileBytes;
// Model-space coordinates are 16-bit; -32768 is left out so that negating one never wraps.
inline constexpr int32_t kMaxCoordinate = 32767;
// 12.4 texture coordinates are 16-bit as well.
inline constexpr int32_t kMaxTextureCoordinate = 32767;
// Faces drawn averaged (draw modes 2 and 3) wait in a depth-sorted queue of this many items a
// frame; the pieces of faces cut at the near plane wait in a store of this many faces. Beyond
// either, faces are silently not drawn.
inline constexpr int kFaceQueueItems = veloxia::kFaceQueueItems;
inline constexpr int kFaceStoreFaces = veloxia::kFaceStoreFaces;
// A packed model smaller than this radius (engine units) has lost its shape to rounding.
inline constexpr int32_t kMinModelRadius = 16;
// OBJ, MTL and image files above this size are refused before they are read.
inline constexpr uintmax_t kMaxSourceBytes = uintmax_t{1} << 30;

}  // namespace vxpack
