// SPDX-License-Identifier: MIT
#include "checks.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace vxpack {
namespace {

constexpr int64_t kObjectHeaderBytes = veloxia::kSceneObjectHeaderBytes, kRecordBytes = veloxia::kSceneRecordBytes,
                  kTextureHeaderBytes = veloxia::kTextureHeaderBytes;

std::string mebibytes(int64_t bytes) {
    return std::to_string((bytes + (int64_t{1} << 20) - 1) >> 20) + " MiB";
}

bool isBlended(int32_t drawMode) { return drawMode >= 2; }

}  // namespace

int64_t sceneFileSize(const PackScene& scene) {
    int64_t bytes = 4;
    for (const auto& object : scene.objects)
        bytes += kObjectHeaderBytes +
                 kRecordBytes * static_cast<int64_t>(object.vertices.size() + object.faces.size());
    return bytes;
}

int64_t textureFileSize(const PackTextures& textures) {
    int64_t bytes = 4;
    for (const auto& texture : textures.textures) {
        bytes += kTextureHeaderBytes;
        bytes += int64_t{2} * texture.width * texture.height * static_cast<int64_t>(texture.frames.size());
    }
    return bytes;
}

void checkFileSizes(const PackScene& scene, const PackTextures& textures) {
    const int64_t sceneBytes = sceneFileSize(scene);
    if (sceneBytes > kMaxDataFileBytes) {
        const PackObject* largest = &scene.objects.front();
        for (const auto& object : scene.objects)
            if (object.faces.size() > largest->faces.size()) largest = &object;
        throw PackError("the scene file would hold " + mebibytes(sceneBytes) + ", more than the " +
                        mebibytes(kMaxDataFileBytes) + " the engine reads; the largest object, \"" + largest->name +
                        "\", has " + counted(largest->faces.size(), "face") +
                        " (simplify the model in a modelling program first)");
    }
    const int64_t textureBytes = textureFileSize(textures);
    if (textureBytes > kMaxDataFileBytes)
        throw PackError("the texture file would hold " + mebibytes(textureBytes) + ", more than the " +
                        mebibytes(kMaxDataFileBytes) + " the engine reads");
}

size_t blendedFaceCount(const PackScene& scene, const PackTextures& textures) {
    size_t count = 0;
    for (const auto& object : scene.objects)
        for (const auto& face : object.faces)
            if (face.texture >= 0 && static_cast<size_t>(face.texture) < textures.textures.size() &&
                isBlended(textures.textures[static_cast<size_t>(face.texture)].drawMode))
                ++count;
    return count;
}

void checkBlendedFaces(const PackScene& scene, const PackTextures& textures, const std::vector<std::string>& why,
                       Diagnostics& warnings) {
    const size_t total = blendedFaceCount(scene, textures);
    if (total <= static_cast<size_t>(kFaceStoreFaces)) return;
    std::string perObject;
    for (const auto& object : scene.objects) {
        size_t count = 0;
        for (const auto& face : object.faces)
            if (face.texture >= 0 && static_cast<size_t>(face.texture) < textures.textures.size() &&
                isBlended(textures.textures[static_cast<size_t>(face.texture)].drawMode))
                ++count;
        if (count > 0) perObject += (perObject.empty() ? "" : ", ") + ("\"" + object.name + "\" " + std::to_string(count));
    }
    std::set<std::string> reasons;
    for (size_t t = 0; t < textures.textures.size(); ++t)
        if (isBlended(textures.textures[t].drawMode))
            reasons.insert(t < why.size() && !why[t].empty()
                               ? why[t]
                               : "texture " + std::to_string(t) + " (draw mode " +
                                     std::to_string(textures.textures[t].drawMode) + ")");
    std::string because;
    for (const auto& reason : reasons) because += (because.empty() ? "" : "; ") + reason;
    const std::string head = counted(total, "face") + " are drawn blended (" + perObject + ")";
    if (total > static_cast<size_t>(kFaceQueueItems))
        warnings.warn("blended queue", head + ", more than the " + std::to_string(kFaceQueueItems) +
                                           " the depth-sorted queue holds a frame: with the whole model in view the " +
                                           "rest are not drawn. Blended: " + because);
    else
        warnings.warn("blended store", head + ": more than the " + std::to_string(kFaceStoreFaces) +
                                           " pieces of cut faces the engine stores a frame, should they all cross " +
                                           "the near plane. Blended: " + because);
}

std::string collapsedSceneWarning(const PackScene& scene) {
    size_t faces = 0, flat = 0;
    int32_t low[3] = {INT32_MAX, INT32_MAX, INT32_MAX}, high[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
    for (const auto& object : scene.objects) {
        for (const auto& v : object.vertices) {
            const int32_t p[3] = {v.x, v.y, v.z};
            for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], p[i]), high[i] = std::max(high[i], p[i]);
        }
        for (const auto& face : object.faces) {
            ++faces;
            const auto position = [&](int k) {
                const size_t index = static_cast<size_t>(face.vertex[static_cast<size_t>(k)]);
                const PackVertex& v = index < object.vertices.size() ? object.vertices[index] : object.vertices.front();
                return std::array<int64_t, 3>{v.x, v.y, v.z};
            };
            const auto a = position(0), b = position(1), c = position(2);
            const int64_t e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            if (e1[1] * e2[2] - e1[2] * e2[1] == 0 && e1[2] * e2[0] - e1[0] * e2[2] == 0 && e1[0] * e2[1] - e1[1] * e2[0] == 0)
                ++flat;
        }
    }
    if (faces == 0) return {};
    double radius = 0;
    for (int i = 0; i < 3; ++i) radius = std::max(radius, (high[i] - low[i]) / 2.0);
    if (radius < kMinModelRadius)
        return "the model is only " + std::to_string(static_cast<int>(radius * 2)) +
               " units across: at this size rounding has taken its shape (pack it again with --fit R, e.g. --fit 200)";
    if (flat * 4 > faces)
        return counted(flat, "face") + " of " + std::to_string(faces) +
               " have no area: rounding to whole units has merged their corners (pack it again with --fit R, e.g. --fit 200)";
    return {};
}

}  // namespace vxpack
