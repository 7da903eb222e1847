// SPDX-License-Identifier: MIT
// Reading Wavefront OBJ/MTL into a neutral triangle soup (doubles, indices, materials).
//
// Every `o` or `g` statement starts an object; pieces with the same name are joined in order of
// first appearance, and geometry before any name goes to an object named after the file.
// Polygons are cut into triangles in their own plane (see polygon.h). Errors and warnings name
// the file and the line. What can be worked around is a warning: a material library that is
// not there, a `usemtl` naming no known material (those faces get a grey default material), a
// texture that cannot be found (the material's Kd colour instead), a face naming a normal the
// file lacks (the normal is computed), a polygon without area (left out). References to missing
// positions or texture coordinates, and numbers that cannot be read, are errors.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "diagnostics.h"

namespace vxpack {

// What one OBJ material says about the texture its faces use.
struct RawMaterial {
    std::string name;                   // as in the MTL file; "" for faces without a material
    std::string origin;                 // "file.mtl:line" of its newmtl, for messages
    std::filesystem::path image;        // map_Kd found on disk; empty: none
    std::array<double, 3> diffuse{0.8, 0.8, 0.8};  // Kd, used when there is no image
    double dissolve = 1.0;              // d (or 1 - Tr)
    std::map<std::string, std::string> extra;  // vx_draw_mode, vx_backface_cull
};

struct RawCorner {
    int position = 0;   // index into RawModel::positions
    int normal = -1;    // index into RawModel::normals, or -1
    bool hasUv = false;
    double u = 0, v = 0;  // OBJ texture coordinates: v = 0 is the bottom row of the image
};

struct RawObject {
    std::string name;
    std::vector<RawCorner> corners;  // three per triangle
    std::vector<int> material;       // one per triangle: index into RawModel::materials
    std::vector<std::string> origin; // one per triangle: "file.obj:line" of its face
};

struct RawModel {
    std::vector<std::array<double, 3>> positions;
    std::vector<std::array<double, 3>> normals;
    std::vector<RawMaterial> materials;
    std::vector<RawObject> objects;
    std::vector<std::filesystem::path> libraries;  // the MTL files read
    size_t polygons = 0;                           // faces with more than three corners
};

// Appends the objects of one OBJ file to `model`. Throws PackError (with file and line) on
// what cannot be worked around, including files larger than kMaxSourceBytes.
void importObj(const std::filesystem::path& path, RawModel& model, Diagnostics& warnings);

// The material library `path` (newmtl, Kd, d, Tr, map_Kd, vx_draw_mode, vx_backface_cull);
// texture paths are looked up as findTexture does.
std::vector<RawMaterial> readMaterialLibrary(const std::filesystem::path& path, Diagnostics& warnings);

// A texture path as MTL files write it, found on disk: `\` separators become `/`, options
// (-s 1 1 1, -bm 0.5, ...) before the name are skipped, and a name that does not exist as
// written is matched without regard to letter case, first along its path and then as a plain
// file name in `folder`. Empty when nothing matches.
std::filesystem::path findTexture(const std::string& written, const std::filesystem::path& folder);

}  // namespace vxpack
