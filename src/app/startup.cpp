// SPDX-License-Identifier: MIT
// Start-up: version and device texts, engine, matrix stack, the two data files, the benchmark
// object and the starfield.
#include <algorithm>
#include <cstring>
#include <string>

#include "app/app.h"
#include "app/app_internal.h"

namespace veloxia {

const char versionText[5] = "1.0b";
char versionLine[20] = "VERSION ";
char16_t versionWide[8] = {};
char16_t oemInfo[128] = {};
std::filesystem::path modulePath;
std::filesystem::path dataDir;
SceneObject* benchObject = nullptr;

namespace {

// The loaders' own account of a failed load: which file, where, and why.
std::string loadFailure(const char* what) {
    const LoadError& e = lastLoadError();
    std::string text = std::string("cannot load the ") + what + " " + e.file.string() + ": " + e.reason;
    if (e.offset > 0) text += " (at byte " + std::to_string(e.offset) + ")";
    return text;
}

void appendText(char* line, std::size_t capacity, const char* tail) {
    const std::size_t used = std::strlen(line);
    const std::size_t room = capacity - 1 - used;
    const std::size_t n = std::min(room, std::strlen(tail));
    std::memcpy(line + used, tail, n);
    line[used + n] = 0;
}

// The OEM string into its 128-character buffer, cut to 127 characters and terminated.
void copyOemInfo(const std::u16string& text) {
    const std::size_t n = std::min(text.size(), std::size(oemInfo) - 1);
    std::copy_n(text.begin(), n, oemInfo);
    std::fill(oemInfo + n, std::end(oemInfo), char16_t{0});
}

}  // namespace

void resetStartupTexts() {
    std::strcpy(versionLine, "VERSION ");
    std::fill(std::begin(versionWide), std::end(versionWide), char16_t{0});
    std::fill(std::begin(oemInfo), std::end(oemInfo), char16_t{0});
    modulePath.clear();
    dataDir.clear();
    benchObject = nullptr;
}

Result loadBenchmarkData(const std::filesystem::path& directory) {
    dataDir = directory;
    modulePath = dataDir / kSceneFileName;
    if (loadSceneFile(modulePath) == 0) return Result::failure(loadFailure("scene file"));
    modulePath = dataDir / kTextureFileName;
    if (loadTextureFile(modulePath) == 0) return Result::failure(loadFailure("texture file"));

    benchObject = findSceneObject(kBenchObjectName);
    if (benchObject == nullptr) {
        return Result::failure("the scene file " + (dataDir / kSceneFileName).string() +
                               " has no object named \"Sat\" (names are case-sensitive)");
    }
    // A face of the drawn object naming a texture the texture file does not hold would be
    // drawn from an empty entry; the objects never drawn may name any.
    if (checkObjectTextures(benchObject) == 0) return Result::failure(loadFailure("scene and texture files"));
    centreSceneObject(benchObject);
    // The object turns about the point that was its translation.
    benchObject->matrix[9] = 0;
    benchObject->matrix[10] = 0;
    benchObject->matrix[11] = 0;
    return Result::success();
}

Result startup() {
    Host* host = activeHost();
    widenText(versionWide, versionText);
    appendText(versionLine, sizeof versionLine, versionText);
    copyOemInfo(host != nullptr ? host->oemInfo() : std::u16string());
    initEngine(&renderContext);
    stackInit(&matrixStack, 4);

    // The data files lie beside the executable, under the names of the handheld build, unless
    // another directory was chosen.
    std::filesystem::path directory = dataDir;
    if (directory.empty() && host != nullptr) directory = host->executableDirectory();
    if (Result loaded = loadBenchmarkData(directory); !loaded) return loaded;
    initStarfield();
    return Result::success();
}

}  // namespace veloxia
