// SPDX-License-Identifier: MIT
// `vxpack validate`: loads a scene file and a texture file with the engine's own loaders,
// exactly as the benchmark will, and checks what the loaders leave to their users.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vxpack {

struct Validation {
    bool ok = false;
    std::vector<std::string> problems;  // why the pair would not run (empty when ok)
    std::vector<std::string> warnings;  // what loads but will not look right
    std::string summary;                // one line on what was loaded
    std::string checksums;              // "scene SHA-256 ...\ntextures SHA-256 ...\n" of the files read
};

// Also: a pair given in the wrong order is named as such; textures no face uses, a model that
// rounding has collapsed, and more blended faces than the engine queues a frame are warnings.
// Fills the engine's SceneTable and TextureTable (initialising the engine first).
// `object` names the object the benchmark looks for; empty skips that check.
Validation validatePair(const std::filesystem::path& scene, const std::filesystem::path& textures,
                        const std::string& object);

}  // namespace vxpack
