// SPDX-License-Identifier: MIT
// Renders the benchmark object "Sat" as the running screen does (no stars, no read-out) at a few
// angles and writes each presented screen as a PNG.
//
//   pipeline_sat [DATA_DIR [OUT_DIR]]
//
// DATA_DIR holds veloxia3dbench1 and veloxia3dbench2 (default: this program's directory);
// the pictures pipeline_sat_<angle>.png go to OUT_DIR (default: the current directory).
#include <veloxia/veloxia.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "png_file.h"

namespace {

using namespace veloxia;
namespace fs = std::filesystem;

// The running screen's angle accumulator after a number of frames grows by 17 a frame.
constexpr int kAngles[] = {0, 17 * 300, 17 * 700, 17 * 1000};

// The two data files under the names the benchmark gives them, and the object "Sat" in them,
// centred so that it turns about the point that was its translation. Null with a reason printed.
SceneObject* loadSat(const fs::path& dataDir) {
    if (loadSceneFile(dataDir / "veloxia3dbench1") == 0 || loadTextureFile(dataDir / "veloxia3dbench2") == 0 ||
        checkSceneTextures() == 0) {
        std::fprintf(stderr, "pipeline_sat: %s: %s\n", lastLoadError().file.string().c_str(),
                     lastLoadError().reason.c_str());
        return nullptr;
    }
    SceneObject* sat = findSceneObject("Sat");
    if (sat == nullptr) {
        std::fprintf(stderr, "pipeline_sat: no object named \"Sat\" in %s\n", dataDir.string().c_str());
        return nullptr;
    }
    centreSceneObject(sat);
    sat->matrix[9] = sat->matrix[10] = sat->matrix[11] = 0;
    return sat;
}

// One frame of the running screen's object (350 units away, turning about z and y), the queue
// flush and present.
void drawFrame(SceneObject* sat, int angle) {
    stackPush(&matrixStack);
    matTranslate(matrixStack.top, 0, 0, -350);
    matRotateZ(matrixStack.top, angle / 20);
    stackPush(&matrixStack);
    matRotateY(matrixStack.top, angle / 10);
    matMultiply(matrixStack.top, &sat->matrix);
    renderObject(&renderContext, sat);
    stackPop(&matrixStack);
    stackPop(&matrixStack);
    if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
    presentGeneric();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3 || (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))) {
        std::fprintf(argc > 3 ? stderr : stdout, "usage: pipeline_sat [DATA_DIR [OUT_DIR]]\n");
        return argc > 3 ? 2 : 0;
    }
    const fs::path dataDir = argc > 1 ? fs::path(argv[1]) : fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path outDir = argc > 2 ? fs::path(argv[2]) : fs::current_path();

    initEngine(&renderContext);
    stackInit(&matrixStack, 4);
    SceneObject* sat = loadSat(dataDir);
    if (sat == nullptr) return 1;
    presentGeneric();  // the buffer starts cleared, as after any earlier frame

    std::vector<uint16_t> screen(kScreenWidth * kScreenHeight);
    for (int angle : kAngles) {
        drawFrame(sat, angle);
        readDisplayPortrait(screen.data());
        const fs::path file = outDir / ("pipeline_sat_" + std::to_string(angle) + ".png");
        std::string error;
        if (!examples::writePng(file, screen.data(), kScreenWidth, kScreenHeight, error)) {
            std::fprintf(stderr, "pipeline_sat: %s: %s\n", file.string().c_str(), error.c_str());
            return 1;
        }
        std::printf("%s\n", file.string().c_str());
    }
    return 0;
}
