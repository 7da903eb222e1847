// SPDX-License-Identifier: MIT
// Packing OBJ models into the engine's two data files.
//
// Positions become 16-bit integers after an optional scale and translation (or a fit into a
// sphere); corners sharing a position and a normal share a vertex; normals are unit vectors of
// length kNormalLength (the OBJ's own, or the area-weighted smooth normal of the faces around a
// position); texture coordinates become 12.4 sixteenths of a texel with v measured from the top
// row, moved per face by whole repeats of the texture so that they fit in 16 bits.
//
// Material conventions (MTL): `vx_draw_mode 0..3` and `vx_backface_cull 0|1` say it outright;
// otherwise "#k" (keyed) and "#a" (averaged) in the material name or in its map_Kd file name
// set the draw mode as the engine's TGA names do, and a dissolve `d` below 1 makes it averaged.
// What nothing sets comes from the options. A material without map_Kd gets an 8x8 texture of
// its Kd colour.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "model.h"

namespace vxpack {

struct PackOptions {
    std::vector<std::filesystem::path> inputs;  // OBJ files, packed in order
    double scale = 1.0;                          // applied before the translation
    std::array<double, 3> translate{0, 0, 0};
    double fitRadius = 0;          // > 0: centre the model and scale it to this radius instead
    int32_t drawMode = 0;          // for materials that say nothing
    int32_t backfaceCull = 1;      // for materials that say nothing
    bool resizeTextures = false;   // resample other sizes instead of rejecting them
    int32_t light = 31;            // base light level of every vertex
    bool bakeSun = false;          // darken vertices turned away from `sun`
    std::array<double, 3> sun{0, 0, 1};
    int32_t ambient = 12;          // level of vertices turned fully away from the sun
    std::string mergeInto;         // non-empty: all geometry becomes one object of this name
    bool pivotAtCentre = true;     // object translation = centre of its bounding box, else 0
};

struct PackResult {
    PackScene scene;
    PackTextures textures;
    std::vector<std::filesystem::path> sources;  // every file read: OBJ, MTL and image files
};

PackResult packModels(const PackOptions& options);

// Writes both files, each under a temporary name first, and never over one of the sources.
void writePair(const PackResult& result, const std::filesystem::path& scenePath,
               const std::filesystem::path& texturePath);

// Draw-mode flags in a name, as the engine's TGA loader reads them: "#k" 1, "#a" 2.
int32_t nameFlags(const std::string& name);

}  // namespace vxpack
