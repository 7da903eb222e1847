// SPDX-License-Identifier: MIT
#include "obj_import.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include <tiny_obj_loader.h>

#include "files.h"
#include "model.h"

namespace vxpack {
namespace {

RawMaterial fromTinyObj(const tinyobj::material_t& m, const std::filesystem::path& folder) {
    RawMaterial material;
    material.name = m.name;
    if (!m.diffuse_texname.empty()) material.image = folder / m.diffuse_texname;
    material.diffuse = {m.diffuse[0], m.diffuse[1], m.diffuse[2]};
    material.dissolve = m.dissolve;
    material.extra = m.unknown_parameter;
    return material;
}

RawObject& objectNamed(RawModel& model, size_t firstOfFile, const std::string& name) {
    for (size_t i = firstOfFile; i < model.objects.size(); ++i)
        if (model.objects[i].name == name) return model.objects[i];
    model.objects.push_back(RawObject{name, {}, {}});
    return model.objects.back();
}

// The material libraries an OBJ file names (`mtllib a.mtl b.mtl`), beside it as tinyobjloader
// looks for them.
std::vector<std::filesystem::path> materialLibraries(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> libraries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string keyword, name;
        if (!(words >> keyword) || keyword != "mtllib") continue;
        while (words >> name) libraries.push_back(path.parent_path() / name);
    }
    return libraries;
}

}  // namespace

void importObj(const std::filesystem::path& path, RawModel& model) {
    checkInputFile(path, kMaxSourceBytes);
    for (const auto& library : materialLibraries(path)) {
        // A name the system cannot even look up (too long, say) is left to the OBJ reader,
        // which reports the library as not found.
        std::error_code error;
        if (std::filesystem::exists(library, error)) checkInputFile(library, kMaxSourceBytes);
        model.libraries.push_back(library);
    }
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.vertex_color = false;
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(path.string(), config)) {
        std::string why = reader.Error();
        while (!why.empty() && why.back() == '\n') why.pop_back();
        throw PackError("cannot read " + path.string() + (why.empty() ? "" : ": " + why));
    }
    // tinyobjloader only warns about a missing material library; the model would silently lose
    // its textures, so it is an error here.
    if (reader.Warning().find("not found") != std::string::npos)
        throw PackError(path.string() + ": " + reader.Warning().substr(0, reader.Warning().find('\n')));

    const auto& attrib = reader.GetAttrib();
    const int positionBase = static_cast<int>(model.positions.size());
    const int normalBase = static_cast<int>(model.normals.size());
    for (size_t i = 0; i + 2 < attrib.vertices.size(); i += 3)
        model.positions.push_back({attrib.vertices[i], attrib.vertices[i + 1], attrib.vertices[i + 2]});
    for (size_t i = 0; i + 2 < attrib.normals.size(); i += 3)
        model.normals.push_back({attrib.normals[i], attrib.normals[i + 1], attrib.normals[i + 2]});

    const int materialBase = static_cast<int>(model.materials.size());
    const std::filesystem::path folder = path.parent_path();
    for (const auto& m : reader.GetMaterials()) model.materials.push_back(fromTinyObj(m, folder));
    int noMaterial = -1;

    const size_t firstOfFile = model.objects.size();
    for (const auto& shape : reader.GetShapes()) {
        const auto& mesh = shape.mesh;
        if (mesh.indices.empty()) continue;
        RawObject& object = objectNamed(model, firstOfFile, shape.name.empty() ? path.stem().string() : shape.name);
        for (size_t face = 0; face < mesh.num_face_vertices.size(); ++face) {
            if (mesh.num_face_vertices[face] != 3)
                throw PackError(path.string() + ": a face of \"" + shape.name + "\" could not be triangulated");
            for (size_t k = 0; k < 3; ++k) {
                const auto& index = mesh.indices[face * 3 + k];
                const size_t uv = 2 * static_cast<size_t>(std::max(index.texcoord_index, 0));
                if (index.vertex_index < 0 || positionBase + index.vertex_index >= static_cast<int>(model.positions.size()) ||
                    normalBase + index.normal_index >= static_cast<int>(model.normals.size()) ||
                    (index.texcoord_index >= 0 && uv + 1 >= attrib.texcoords.size()))
                    throw PackError(path.string() + ": a face of \"" + object.name + "\" refers to a missing vertex");
                RawCorner corner;
                corner.position = positionBase + index.vertex_index;
                corner.normal = index.normal_index >= 0 ? normalBase + index.normal_index : -1;
                if (index.texcoord_index >= 0) {
                    corner.hasUv = true;
                    corner.u = attrib.texcoords[uv];
                    corner.v = attrib.texcoords[uv + 1];
                }
                object.corners.push_back(corner);
            }
            int material = mesh.material_ids[face];
            if (material >= static_cast<int>(reader.GetMaterials().size()))
                throw PackError(path.string() + ": a face of \"" + object.name + "\" names a missing material");
            if (material >= 0) {
                material += materialBase;
            } else {
                if (noMaterial < 0) {
                    noMaterial = static_cast<int>(model.materials.size());
                    model.materials.push_back(RawMaterial{});
                }
                material = noMaterial;
            }
            object.material.push_back(material);
        }
    }
}

}  // namespace vxpack
