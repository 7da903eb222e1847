// SPDX-License-Identifier: MIT
#include "validate.h"

#include <veloxia/veloxia.h>

#include "checks.h"
#include "default_data.h"
#include "files.h"

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

bool readsAs(const std::filesystem::path& path, bool scene) {
    try {
        const Bytes bytes = readWholeFile(path);
        if (scene) parseSceneFile(bytes);
        else parseTextureFile(bytes);
        return true;
    } catch (const PackError&) {
        return false;
    }
}

// Both files loaded; what the formats allow but the pair should not hold.
void checkContents(const std::filesystem::path& scenePath, const std::filesystem::path& texturePath,
                   Validation& result) {
    const Bytes sceneBytes = readWholeFile(scenePath), textureBytes = readWholeFile(texturePath);
    result.checksums = "scene    " + scenePath.string() + " SHA-256 " + sha256Of(sceneBytes) + "\n" +
                       "textures " + texturePath.string() + " SHA-256 " + sha256Of(textureBytes) + "\n";
    const PackScene scene = parseSceneFile(sceneBytes);
    const PackTextures textures = parseTextureFile(textureBytes);
    std::vector<bool> used(textures.textures.size(), false);
    for (const auto& object : scene.objects)
        for (const auto& face : object.faces)
            if (face.texture >= 0 && static_cast<size_t>(face.texture) < used.size()) used[static_cast<size_t>(face.texture)] = true;
    std::string unused;
    size_t unusedCount = 0;
    for (size_t i = 0; i < used.size(); ++i)
        if (!used[i]) unused += (unusedCount++ ? ", " : "") + std::to_string(i);
    if (unusedCount > 0)
        result.warnings.push_back("no face of the scene uses " + std::string(unusedCount == 1 ? "texture " : "textures ") +
                                  unused + " of " + texturePath.string() + ": are the two files from the same pack?");
    const std::string collapsed = collapsedSceneWarning(scene);
    if (!collapsed.empty()) result.warnings.push_back(collapsed);
    Diagnostics blended;
    checkBlendedFaces(scene, textures, {}, blended);
    for (const auto& line : blended.lines()) result.warnings.push_back(line);
}

}  // namespace

Validation validatePair(const std::filesystem::path& scene, const std::filesystem::path& textures,
                        const std::string& object) {
    veloxia::initEngine(&veloxia::renderContext);  // the texture loader reads the ShadeLut
    Validation result;
    const bool sceneLoaded = veloxia::loadSceneFile(scene);
    const std::string sceneProblem = sceneLoaded ? "" : loadProblem("scene file");
    if (!sceneLoaded || !veloxia::loadTextureFile(textures)) {
        if (!readsAs(scene, true) && !readsAs(textures, false) && readsAs(scene, false) && readsAs(textures, true))
            result.problems.push_back("the files are in the wrong order: " + scene.string() + " is a texture file and " +
                                      textures.string() + " a scene file (give the scene file first)");
        else
            result.problems.push_back(sceneLoaded ? loadProblem("texture file") : sceneProblem);
        return result;
    }
    if (!veloxia::checkSceneTextures()) result.problems.push_back(loadProblem("scene file"));
    checkTextures(result);
    checkContents(scene, textures, result);

    int64_t faces = 0;
    for (int32_t i = 0; i < veloxia::sceneObjectCount; ++i) faces += veloxia::SceneTable[i].faceCount;
    result.summary = counted(static_cast<size_t>(veloxia::sceneObjectCount), "object") + " with " +
                     counted(static_cast<size_t>(faces), "face") + ", " +
                     counted(static_cast<size_t>(veloxia::textureCount), "texture");
    if (!object.empty()) {
        const veloxia::SceneObject* found = veloxia::findSceneObject(object.c_str());
        if (found == nullptr) {
            result.problems.push_back("no object named \"" + object + "\" (the benchmark starts only with one)");
        } else {
            const int32_t radius = radiusAboutTranslation(*found);
            result.summary += "; \"" + object + "\" has " + counted(static_cast<size_t>(found->faceCount), "face") + " within " +
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
