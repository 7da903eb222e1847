// SPDX-License-Identifier: MIT
// Byte forms of the scene file and the texture file, and safe writing of output files.
//
// Both formats are little-endian. The scene file holds object blocks (name, Mat34, counts,
// 32-byte vertex records, 32-byte face records) with the object count in its last 4 bytes; the
// texture file holds the texture count, then per texture six 32-bit header fields and its
// frames of 16-bit texels. The readers accept only files whose blocks add up to the file size
// exactly, and throw PackError naming the offset of the first problem.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model.h"

namespace vxpack {

using Bytes = std::vector<uint8_t>;

Bytes sceneFileBytes(const PackScene& scene);
Bytes textureFileBytes(const PackTextures& textures);
PackScene parseSceneFile(const Bytes& bytes);
PackTextures parseTextureFile(const Bytes& bytes);

// Throws unless `path` is a regular file of at most `limit` bytes, so that a huge or sparse
// file is refused before anything reads it.
void checkInputFile(const std::filesystem::path& path, uintmax_t limit);
// A scene or texture file, at most kMaxDataFileBytes long.
Bytes readWholeFile(const std::filesystem::path& path);
// veloxia::writeFileAtomically (a temporary name beside `path`, renamed over it); throws on failure.
void writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes);

uint64_t fnv1a64(const Bytes& bytes);  // 64-bit FNV-1a, a quick fingerprint for tests
std::string sha256Of(const Bytes& bytes);  // 64 hexadecimal digits, as info and the benchmark print

// The first frame of a texture as a binary PPM image, each 3-bit channel c shown as 32c + 31
// (the palette's full-brightness value).
Bytes texturePpm(const PackTexture& texture);

}  // namespace vxpack
