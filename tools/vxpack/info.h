// SPDX-License-Identifier: MIT
// `vxpack info`: what a scene file or a texture file holds, in a few lines for people.
#pragma once

#include <filesystem>
#include <string>

#include "files.h"

namespace vxpack {

enum class FileKind { guess, scene, textures };

// Throws PackError when the file is neither kind (or not the kind asked for), with the reason.
std::string describeFile(const std::filesystem::path& path, FileKind kind);
std::string describeScene(const std::string& label, const Bytes& bytes);
std::string describeTextures(const std::string& label, const Bytes& bytes);

}  // namespace vxpack
