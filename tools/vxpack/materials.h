// SPDX-License-Identifier: MIT
// From OBJ materials to entries of the texture file: draw mode, cull flag and texels.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "model.h"
#include "obj_import.h"
#include "pack.h"

namespace vxpack {

// The textures of one pack, made on first use so that the file holds only what faces name, in
// the order faces first name them. Materials that come out the same (same image or colour,
// draw mode and cull flag) share one texture.
class TextureSet {
public:
    explicit TextureSet(const PackOptions& options) : options_(options) {}
    int32_t forMaterial(const RawMaterial& material);  // index into the texture file
    const PackTexture& at(int32_t index) const { return textures_.textures[static_cast<size_t>(index)]; }
    PackTextures take() { return std::move(textures_); }
    const std::vector<std::filesystem::path>& images() const { return images_; }
    const std::vector<std::string>& blendedWhy() const { return blendedWhy_; }

private:
    using Key = std::tuple<std::string, int, int, int, int32_t, int32_t>;  // image, r, g, b, mode, cull
    PackTexture build(const RawMaterial& material, int32_t drawMode, int32_t cull, const int rgb[3]) const;

    const PackOptions& options_;
    std::map<Key, int32_t> known_;
    PackTextures textures_;
    std::vector<std::filesystem::path> images_;
    std::vector<std::string> blendedWhy_;  // per texture
};

}  // namespace vxpack
