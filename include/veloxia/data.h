// SPDX-License-Identifier: MIT
// The scene file, the texture file and the TGA loader.
//
// Every file is treated as hostile, and every file the formats allow is accepted: a loader
// refuses only what would make the engine read or write out of bounds or allocate without
// limit. A loader that fails returns 0, leaves SceneTable and TextureTable exactly as they
// were, allocates nothing that outlives the call, and leaves the reason in lastLoadError().
// A load that succeeds replaces the whole table: entries past the new count are emptied, and
// texture entries keep their addresses, so faces stay pointed at them.
//
// Reloading never invalidates what earlier loads handed out: the vertex, face and frame arrays
// a successful load replaces stay allocated (a World, a VertexLightEffect or a face pointer
// built on them stays usable) until freeScene() or freeTextures() releases them, or the
// program ends.
//
// Scene file: a count of 0 or less loads no object and succeeds. Refused: more than 64
// objects; a name not terminated within its 24 bytes; negative vertex or face counts, or more
// records than the file holds; a corner outside its object; a texture index outside 0..127.
// Bytes between the last object and the count are ignored (the count is found by position).
// Texture file: a count of 0 or less loads nothing and succeeds; the first `count` textures
// are read and anything after them is ignored. Draw modes and texels are kept as read (the
// fillers treat modes above 3 as 3 and negative ones as 1; present reads only the low 14 bits
// of a pixel), and so are sides that are not powers of two (the wrap masks then wrap unevenly,
// but within the texture). Refused: more than 128 textures; a side below 1; more than 65536
// texels a frame; fewer than 1 frame; frames beyond the end of the file. The shade table
// must be built (initEngine) before textures are loaded: the average colour reads it.
// TGA: type 2 at 24 bits; identification field and colour map skipped; rows in file order.
// Any of the three larger than kMaxDataFileBytes is refused before a byte of it is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine.h"
#include "formats.h"
#include "types.h"

namespace veloxia {

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
// Once both files are loaded: 1 when every face of the object (checkObjectTextures) or of all
// of SceneTable (checkSceneTextures) names a loaded texture, else 0 with the reason in
// lastLoadError(). A face on an empty entry must not be drawn.
int32_t checkObjectTextures(const SceneObject* object);
int32_t checkSceneTextures();

// Release the arrays of the current and of every replaced scene (freeScene) or texture file
// (freeTextures) and empty the table. freeScene invalidates every SceneObject's vertices and
// faces, and so every World and VertexLightEffect built on them and every face pointer into
// them; freeTextures invalidates every Texture's frames and texels pointer (the entries stay,
// empty, so faces must not be drawn until textures are loaded again).
void freeScene();
void freeTextures();

int32_t loadTga(const std::filesystem::path& path, int32_t& width, int32_t& height,
                std::vector<uint16_t>& texels, int32_t& drawMode, int32_t checkSize);
int32_t isTextureSize(int32_t width, int32_t height);  // both among 8, 16, 32, 64, 128
int32_t tgaNameFlags(const std::filesystem::path& path);  // "#k" sets 1, "#a" sets 2

}  // namespace veloxia
