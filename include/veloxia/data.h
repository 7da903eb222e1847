// SPDX-License-Identifier: MIT
// The scene file, the texture file and the TGA loader.
//
// Every file is treated as hostile. A loader that fails returns 0, leaves SceneTable and
// TextureTable exactly as they were (a rejected count does not reach sceneObjectCount or
// textureCount), allocates nothing that outlives the call, and leaves the reason in
// lastLoadError(). A load that succeeds replaces the whole table: entries past the new count
// are emptied, and texture entries keep their addresses, so faces stay pointed at them.
//
// Scene file: 0..64 objects (a count of 0 loads an empty table); names terminated within
// their 24 bytes; counts not negative and no more records than the file holds; every corner
// inside its object; every texture index below 128; nothing between the last object and the
// count. Textures that the texture file leaves empty are found by checkSceneTextures().
// Texture file: 0..128 textures; sides powers of two of 1..4096 texels and at most 65536
// texels a frame (so the 16.16 wrap masks fit in 32 bits); draw mode 0..3; 1..4096 frames;
// every texel a ColorIndex at shade level 0; nothing after the last texture. The shade table
// must be built (initEngine) before textures are loaded: the average colour reads it.
// TGA: type 2 at 24 bits; identification field and colour map skipped; rows in file order.
// Any of the three larger than kMaxDataFileBytes is refused before a byte of it is read.
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
inline constexpr int32_t kMaxTextureSide = 4096;     // texels per row or column
inline constexpr int32_t kMaxTextureTexels = 65536;  // texels per frame
inline constexpr int32_t kMaxTextureFrames = 4096;
// Far above any real scene or texture file (the handheld had 64 MiB in all), and low enough
// that a huge or sparse file cannot make a loader read or allocate gigabytes.
inline constexpr int64_t kMaxDataFileBytes = int64_t{256} << 20;

extern SceneObject SceneTable[kMaxSceneObjects];
extern int32_t sceneObjectCount;
extern Texture TextureTable[kMaxTextures];
extern int32_t textureCount;

// Why the last load failed: the file, the byte offset where the problem was found, and a
// sentence for people. After a successful load the reason is empty.
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
