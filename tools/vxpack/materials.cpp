// SPDX-License-Identifier: MIT
#include "materials.h"

#include <cmath>
#include <cstdio>

#include "images.h"

namespace vxpack {
namespace {

int32_t flagValue(const RawMaterial& material, const char* key, int32_t highest) {
    std::string text = material.extra.at(key);
    text.erase(0, text.find_first_not_of(" \t"));
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '0' + highest) return text[0] - '0';
    throw PackError(material.origin + ": material \"" + material.name + "\": " + key + " must be 0.." + std::to_string(highest) +
                    ", not \"" + text + "\"");
}

// The draw mode, and for the blended ones what made them so (for the warnings about the queue).
int32_t resolveDrawMode(const RawMaterial& material, int32_t fallback, std::string& why) {
    const std::string who = material.name.empty() ? "faces without a material" : "material \"" + material.name + "\"";
    if (material.extra.count("vx_draw_mode")) {
        const int32_t mode = flagValue(material, "vx_draw_mode", 3);
        if (mode >= 2) why = who + " (vx_draw_mode " + std::to_string(mode) + ")";
        return mode;
    }
    int32_t mode = nameFlags(material.name) | nameFlags(material.image.filename().string());
    if (mode & 2) why = who + " (#a in its name)";
    if (material.dissolve < 1.0) {
        mode |= 2;
        char dissolve[32];
        std::snprintf(dissolve, sizeof dissolve, "%g", material.dissolve);
        why = who + " (d " + dissolve + " in its MTL)";
    }
    if (mode == 0 && fallback >= 2) why = who + " (--draw-mode " + std::to_string(fallback) + ")";
    return mode != 0 ? mode : fallback;
}

int channel(double value) {
    const double clamped = std::fmin(std::fmax(value, 0.0), 1.0);
    return static_cast<int>(std::floor(clamped * 255.0 + 0.5));
}

std::string sizeText(int32_t width, int32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

int32_t nameFlags(const std::string& name) {
    int32_t flags = 0;
    for (size_t i = 0; i + 1 < name.size(); ++i) {
        if (name[i] != '#') continue;
        if (name[i + 1] == 'k') flags |= 1;
        else if (name[i + 1] == 'a') flags |= 2;
    }
    return flags;
}

int32_t TextureSet::forMaterial(const RawMaterial& material) {
    std::string why;
    const int32_t mode = resolveDrawMode(material, options_.drawMode, why);
    const int32_t cull = material.extra.count("vx_backface_cull") ? flagValue(material, "vx_backface_cull", 1)
                                                                  : options_.backfaceCull;
    int rgb[3] = {0, 0, 0};
    if (material.image.empty())
        for (int c = 0; c < 3; ++c) rgb[c] = channel(material.diffuse[static_cast<size_t>(c)]);
    const Key key{material.image.lexically_normal().string(), rgb[0], rgb[1], rgb[2], mode, cull};
    if (auto found = known_.find(key); found != known_.end()) return found->second;
    if (textures_.textures.size() >= static_cast<size_t>(kMaxTextures))
        throw PackError((material.origin.empty() ? "" : material.origin + ": ") + "material \"" + material.name +
                        "\" needs texture " + std::to_string(kMaxTextures + 1) + "; the engine's table holds " +
                        std::to_string(kMaxTextures) + " (materials with the same image, draw mode and cull flag " +
                        "share one: join materials in the MTL file)");
    textures_.textures.push_back(build(material, mode, cull, rgb));
    blendedWhy_.push_back(why);
    if (!material.image.empty()) images_.push_back(material.image);
    const auto index = static_cast<int32_t>(textures_.textures.size() - 1);
    known_.emplace(key, index);
    return index;
}

PackTexture TextureSet::build(const RawMaterial& material, int32_t drawMode, int32_t cull, const int rgb[3]) const {
    RgbaImage image = material.image.empty()
                          ? solidImage(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]))
                          : loadImage(material.image);
    if (!isAcceptedSide(image.width) || !isAcceptedSide(image.height)) {
        if (!options_.resizeTextures)
            throw PackError(material.origin + ": texture " + material.image.string() + " of material \"" + material.name + "\" is " + sizeText(image.width, image.height) +
                            "; the engine needs powers of two from " + std::to_string(kMinTextureSide) + " to " +
                            std::to_string(kMaxTextureSide) + " on each side (--resize-textures resamples it)");
        image = resample(image, nearestAcceptedSide(image.width), nearestAcceptedSide(image.height));
    }
    PackTexture texture;
    texture.width = image.width;
    texture.height = image.height;
    texture.drawMode = drawMode;
    texture.backfaceCull = cull;
    texture.frames.push_back(toTexels(image, drawMode, options_.dither));
    return texture;
}

}  // namespace vxpack
