// SPDX-License-Identifier: MIT
#include "info.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <map>

#include "default_data.h"
#include "diagnostics.h"

namespace vxpack {
namespace {

std::string format(const char* pattern, auto... values) {
    char line[256];
    std::snprintf(line, sizeof line, pattern, values...);
    return line;
}

std::string header(const char* kind, const std::string& label, size_t count, const char* noun, const Bytes& bytes) {
    return format("%s %s: %zu %s%s, %zu bytes\n  SHA-256 %s\n", kind, label.c_str(), count, noun,
                  count == 1 ? "" : "s", bytes.size(), sha256Of(bytes).c_str());
}

std::string objectLine(size_t index, const PackObject& object) {
    int16_t low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    if (!object.vertices.empty()) {
        const PackVertex& first = object.vertices.front();
        low[0] = high[0] = first.x;
        low[1] = high[1] = first.y;
        low[2] = high[2] = first.z;
    }
    for (const auto& v : object.vertices) {
        const int16_t p[3] = {v.x, v.y, v.z};
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], p[i]);
            high[i] = std::max(high[i], p[i]);
        }
    }
    std::string line = format("%3zu  %-23s %8zu %9zu %6d  (%d, %d, %d)  (%d, %d, %d)..(%d, %d, %d)\n", index,
                              object.name.c_str(), object.vertices.size(), object.faces.size(),
                              radiusAboutPivot(object), object.matrix[9], object.matrix[10], object.matrix[11], low[0],
                              low[1], low[2], high[0], high[1], high[2]);
    std::map<int32_t, size_t> perTexture;
    for (const auto& face : object.faces) ++perTexture[face.texture];
    line += "     faces per texture:";
    for (const auto& [texture, count] : perTexture) line += format(" %d:%zu", texture, count);
    return line + "\n";
}

}  // namespace

std::string describeScene(const std::string& label, const Bytes& bytes) {
    const PackScene scene = parseSceneFile(bytes);
    size_t faces = 0;
    for (const auto& object : scene.objects) faces += object.faces.size();
    std::string text = header("scene file", label, scene.objects.size(), "object", bytes);
    text += format("  #  %-23s %8s %9s %6s  %s  %s\n", "name", "vertices", "triangles", "radius", "pivot", "bounds");
    for (size_t i = 0; i < scene.objects.size(); ++i) text += objectLine(i, scene.objects[i]);
    return text + format("total: %s\n", counted(faces, "triangle").c_str());
}

std::string describeTextures(const std::string& label, const Bytes& bytes) {
    const PackTextures textures = parseTextureFile(bytes);
    std::string text = header("texture file", label, textures.textures.size(), "texture", bytes);
    text += format("  #  %-9s %-16s %-5s %6s %5s\n", "size", "draw mode", "cull", "frames", "delay");
    for (size_t i = 0; i < textures.textures.size(); ++i) {
        const PackTexture& t = textures.textures[i];
        const std::string size = std::to_string(t.width) + "x" + std::to_string(t.height);
        text += format("%3zu  %-9s %d %-14s %-5s %6zu %5d\n", i, size.c_str(), t.drawMode, drawModeName(t.drawMode),
                       t.backfaceCull ? "yes" : "no", t.frames.size(), t.frameDelay);
    }
    return text;
}

std::string describeFile(const std::filesystem::path& path, FileKind kind) {
    const Bytes bytes = readWholeFile(path);
    const std::string label = path.filename().string();
    if (kind == FileKind::scene) return describeScene(label, bytes);
    if (kind == FileKind::textures) return describeTextures(label, bytes);
    // A texture file announces its count at the start and a scene file at the end; only one
    // reading adds up to the file's size (an empty table of 4 zero bytes reads as textures).
    try {
        return describeTextures(label, bytes);
    } catch (const PackError& asTextures) {
        try {
            return describeScene(label, bytes);
        } catch (const PackError& asScene) {
            throw PackError(path.string() + " is neither a texture file (" + asTextures.what() +
                            ") nor a scene file (" + asScene.what() + ")");
        }
    }
}

}  // namespace vxpack
