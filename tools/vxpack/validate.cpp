// SPDX-License-Identifier: MIT
#include "validate.h"

#include <veloxia/veloxia.h>

#include "default_data.h"

namespace vxpack {
namespace {

std::string loadProblem(const char* what) {
    const veloxia::LoadError& error = veloxia::lastLoadError();
    return std::string(what) + " " + error.file.string() + ": " + error.reason + " (at byte " +
           std::to_string(error.offset) + ")";
}

int32_t radiusAboutTranslation(const veloxia::SceneObject& object) {
    PackObject copy;
    copy.matrix = object.matrix;
    for (int32_t i = 0; i < object.vertexCount; ++i) {
        const veloxia::MeshVertex& v = object.vertices[i];
        copy.vertices.push_back({v.x, v.y, v.z, v.light, v.nx, v.ny, v.nz});
    }
    return radiusAboutPivot(copy);
}

void checkTextures(Validation& result) {
    for (int32_t i = 0; i < veloxia::textureCount; ++i) {
        const veloxia::Texture& t = veloxia::TextureTable[i];
        if (t.drawMode < 0 || t.drawMode > 3)
            result.warnings.push_back("texture " + std::to_string(i) + " has draw mode " + std::to_string(t.drawMode) +
                                      "; the fillers know 0..3");
    }
}

}  // namespace

Validation validatePair(const std::filesystem::path& scene, const std::filesystem::path& textures,
                        const std::string& object) {
    veloxia::initEngine(&veloxia::renderContext);  // the texture loader reads the ShadeLut
    Validation result;
    if (!veloxia::loadSceneFile(scene)) {
        result.problems.push_back(loadProblem("scene file"));
        return result;
    }
    if (!veloxia::loadTextureFile(textures)) {
        result.problems.push_back(loadProblem("texture file"));
        return result;
    }
    if (!veloxia::checkSceneTextures()) result.problems.push_back(loadProblem("scene file"));
    checkTextures(result);

    int64_t faces = 0;
    for (int32_t i = 0; i < veloxia::sceneObjectCount; ++i) faces += veloxia::SceneTable[i].faceCount;
    result.summary = std::to_string(veloxia::sceneObjectCount) + " objects with " + std::to_string(faces) +
                     " faces, " + std::to_string(veloxia::textureCount) + " textures";
    if (!object.empty()) {
        const veloxia::SceneObject* found = veloxia::findSceneObject(object.c_str());
        if (found == nullptr) {
            result.problems.push_back("no object named \"" + object + "\" (the benchmark starts only with one)");
        } else {
            const int32_t radius = radiusAboutTranslation(*found);
            result.summary += "; \"" + object + "\" has " + std::to_string(found->faceCount) + " faces within " +
                              std::to_string(radius) + " units of its translation";
            if (radius >= kBenchObjectMaxRadius)
                result.warnings.push_back("\"" + object + "\" reaches " + std::to_string(radius) +
                                          " units from its translation: turning 350 units in front of the eye, " +
                                          "its faces will cross the near plane at 65 and vanish");
        }
    }
    result.ok = result.problems.empty();
    return result;
}

}  // namespace vxpack
