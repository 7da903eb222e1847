// SPDX-License-Identifier: MIT
// vxpack's OBJ/MTL import and pack. The input is the OBJ text, then optionally a line "#@mtl"
// and the material library (written as model.mtl), then optionally a line "#@image" and the
// bytes of the image file t.png; the seeds name those files. Each input is packed twice: with
// the default options and with resampling, a fit radius, a merge, a baked sun and other defaults.
// A pack either fails with a PackError or gives a pair of files that the engine loads.
#include <algorithm>
#include <string_view>

#include "files.h"
#include "harnesses.h"
#include "pack.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

// The part of `text` before the line `marker`, and the rest after it (empty without the marker).
std::pair<std::string_view, std::string_view> cut(std::string_view text, std::string_view marker) {
    const auto line = "\n" + std::string(marker) + "\n";
    const size_t at = text.find(line);
    if (at == std::string_view::npos) return {text, {}};
    return {text.substr(0, at), text.substr(at + line.size())};
}

std::span<const uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

void packAndLoad(const vxpack::PackOptions& options) {
    vxpack::PackResult result;
    try {
        result = vxpack::packModels(options);
    } catch (const vxpack::PackError&) {
        return;  // refused with a reason: what the tool does with a bad model
    }
    const auto scene = scratchFile("packed.vx1", vxpack::sceneFileBytes(result.scene));
    const auto textures = scratchFile("packed.vx2", vxpack::textureFileBytes(result.textures));
    check(loadSceneFile(scene) == 1, "the engine loads the packed scene");
    check(loadTextureFile(textures) == 1, "the engine loads the packed textures");
    check(checkSceneTextures() == 1, "every packed face names a packed texture");
    freeScene();  // loads keep what they replace until freed
    freeTextures();
}

}  // namespace

int vxpackObj(const uint8_t* data, size_t size) {
    resetEngine();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto [obj, rest] = cut(input, "#@mtl");
    const auto [mtl, image] = cut(rest, "#@image");
    vxpack::PackOptions options;
    options.inputs = {scratchFile("model.obj", bytesOf(obj))};
    scratchFile("model.mtl", bytesOf(mtl));
    scratchFile("t.png", bytesOf(image));
    packAndLoad(options);

    options.resizeTextures = true;
    options.fitRadius = 200;
    options.mergeInto = "Sat";
    options.bakeSun = true;
    options.sun = {1, -2, 3};
    options.drawMode = 2;
    options.backfaceCull = 0;
    options.pivotAtCentre = false;
    packAndLoad(options);
    return 0;
}

}  // namespace vxfuzz
