// SPDX-License-Identifier: MIT
// The scene file, the texture file and the TGA loader.
//
// Every file is treated as hostile. A loader that fails returns 0, leaves SceneTable and
// TextureTable exactly as they were, allocates nothing that outlives the call, and leaves the
// reason in lastLoadError(). Accepted: counts within the tables (64 objects, 128 textures),
// vertex indices inside their object, power-of-two texture sizes up to 4096 texels a side,
// at least one frame, and no more data claimed than the file holds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine.h"
#include "types.h"

namespace veloxia {

inline constexpr int kMaxSceneObjects = 64;
inline constexpr int kMaxTextures = 128;

extern SceneObject SceneTable[kMaxSceneObjects];
extern int32_t sceneObjectCount;
extern Texture TextureTable[kMaxTextures];
extern int32_t textureCount;

// Why the last load failed: the file, the byte offset where the problem was found, and a
// sentence for people.
struct LoadError {
    std::filesystem::path file;
    int64_t offset;
    std::string reason;
};
const LoadError& lastLoadError();

int32_t loadSceneFile(const std::filesystem::path& path);    // 1 on success, 0 on failure
SceneObject* findSceneObject(const char* name);              // first exact match, or null
void centreSceneObject(SceneObject* object);                 // subtracts the stored translation
void setObjectLight(SceneObject* object, int32_t level);
void raiseObjectLight(SceneObject* object, int32_t level);
void scaleObjectLight(SceneObject* object, int32_t factor);  // 256 = 1.0
void bakeObjectShade(SceneObject* object);

int32_t loadTextureFile(const std::filesystem::path& path);  // 1 on success, 0 on failure
uint16_t textureAverageColor(const Texture* texture);
void advanceTextureFrame(RenderContext* rc, Texture* texture);  // one animation step; rc is unused
// Once both files are loaded: 1 when every face of SceneTable names a loaded texture, else 0
// with the reason in lastLoadError().
int32_t checkSceneTextures();

int32_t loadTga(const std::filesystem::path& path, int32_t& width, int32_t& height,
                std::vector<uint16_t>& texels, int32_t& drawMode, int32_t checkSize);
int32_t isTextureSize(int32_t width, int32_t height);  // both among 8, 16, 32, 64, 128
int32_t tgaNameFlags(const std::filesystem::path& path);  // "#k" sets 1, "#a" sets 2

}  // namespace veloxia
