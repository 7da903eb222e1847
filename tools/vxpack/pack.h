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

#include "images.h"
#include "model.h"

namespace vxpack {

// The light the default data is lit by: faces towards the upper left at full level, faces turned
// away at 14. Every pack gets it unless told otherwise, so untextured models show their shape.
inline constexpr std::array<double, 3> kDefaultSun{-0.45, 0.6, 0.66};
inline constexpr int32_t kDefaultAmbient = 14;

struct PackOptions {
    std::vector<std::filesystem::path> inputs;  // OBJ files, packed in order
    double scale = 1.0;                          // applied before the translation
    std::array<double, 3> translate{0, 0, 0};
    double fitRadius = 0;          // > 0: centre the model and scale it to this radius instead
    int32_t drawMode = 0;          // for materials that say nothing
    int32_t backfaceCull = 1;      // for materials that say nothing
    bool resizeTextures = false;   // resample other sizes instead of rejecting them
    int32_t light = 31;            // base light level of every vertex
    bool bakeSun = true;           // darken vertices turned away from `sun` (false: flat light)
    std::array<double, 3> sun = kDefaultSun;
    int32_t ambient = kDefaultAmbient;  // level of vertices turned fully away from the sun
    Dither dither = Dither::none;  // how image colours are rounded to the engine's 512
    std::string mergeInto;         // non-empty: all geometry becomes one object of this name
    bool pivotAtCentre = true;     // object translation = centre of its bounding box, else 0
};

struct PackResult {
    PackScene scene;
    PackTextures textures;
    std::vector<std::filesystem::path> sources;  // every file read: OBJ, MTL and image files
    std::vector<std::string> blendedWhy;         // per texture: why it is blended, or empty
    std::vector<std::string> warnings;           // for standard error, each kind once
    size_t warningCount = 0;                     // all warnings, repeats included
};

// The light options as the command line gives them: without --light and --sun the default sun;
// --light alone, or --flat, one level for every vertex.
void chooseLight(PackOptions& options, bool lightGiven, bool sunGiven, bool flat);

PackResult packModels(const PackOptions& options);

// Writes both files, each under a temporary name first, and never over one of the sources.
void writePair(const PackResult& result, const std::filesystem::path& scenePath,
               const std::filesystem::path& texturePath);

// Draw-mode flags in a name, as the engine's TGA loader reads them: "#k" 1, "#a" 2.
int32_t nameFlags(const std::string& name);

}  // namespace vxpack
