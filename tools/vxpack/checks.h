// SPDX-License-Identifier: MIT
// What both `pack` and `validate` check beyond the file formats: whether a model survived its
// rounding to whole engine units, whether the files stay within the engine's limits, and how
// many faces go through the depth-sorted queue of blended faces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "model.h"

namespace vxpack {

// Bytes of the files the writers make of these (the engine refuses files above kMaxDataFileBytes).
int64_t sceneFileSize(const PackScene& scene);
int64_t textureFileSize(const PackTextures& textures);

// Throws PackError, naming the limit and what fixes it, when the files would be larger than the
// engine reads.
void checkFileSizes(const PackScene& scene, const PackTextures& textures);

// Blended faces (textures of draw mode 2 or 3) per object and in all. `why` holds, per texture,
// the reason it is blended (empty: say only its draw mode). Warns when more than the queue or
// the store of cut faces holds could come in one frame.
void checkBlendedFaces(const PackScene& scene, const PackTextures& textures, const std::vector<std::string>& why,
                       Diagnostics& warnings);
size_t blendedFaceCount(const PackScene& scene, const PackTextures& textures);

// A warning for a scene that looks collapsed by rounding: objects smaller than kMinModelRadius,
// or more than a quarter of the faces without area. Empty when it looks fine.
std::string collapsedSceneWarning(const PackScene& scene);

}  // namespace vxpack
