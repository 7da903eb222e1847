// SPDX-License-Identifier: MIT
// Reading Wavefront OBJ/MTL into a neutral triangle soup (doubles, indices, materials).
//
// Polygons are triangulated by tinyobjloader. Every `o` or `g` statement starts an object;
// pieces with the same name are joined in order of first appearance, and geometry before any
// name goes to an object named after the file. Faces without a material get the empty
// material name.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vxpack {

// What one OBJ material says about the texture its faces use.
struct RawMaterial {
    std::string name;                   // as in the MTL file; "" for faces without a material
    std::filesystem::path image;        // map_Kd resolved against the OBJ's folder; empty: none
    std::array<double, 3> diffuse{0.8, 0.8, 0.8};  // Kd, used when there is no image
    double dissolve = 1.0;              // d (or 1 - Tr)
    std::map<std::string, std::string> extra;  // keys tinyobjloader does not know (vx_*)
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
};

struct RawModel {
    std::vector<std::array<double, 3>> positions;
    std::vector<std::array<double, 3>> normals;
    std::vector<RawMaterial> materials;
    std::vector<RawObject> objects;
    std::vector<std::filesystem::path> libraries;  // the MTL files the OBJ files name
};

// Appends the objects of one OBJ file to `model`. Throws PackError when the file or its
// material library cannot be read, or is larger than kMaxSourceBytes.
void importObj(const std::filesystem::path& path, RawModel& model);

}  // namespace vxpack
