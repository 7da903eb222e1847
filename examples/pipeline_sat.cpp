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

#include "app/app.h"
#include "png_writer.h"

namespace {

using namespace veloxia;
namespace fs = std::filesystem;

// The running screen's angle accumulator after a number of frames grows by 17 a frame.
constexpr int kAngles[] = {0, 17 * 300, 17 * 700, 17 * 1000};

// One frame of the running screen's object, the queue flush and present.
void drawFrame(int angle) {
    renderRunningObject(angle);
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
    if (Result loaded = loadBenchmarkData(dataDir); !loaded) {
        std::fprintf(stderr, "pipeline_sat: %s\n", loaded.reason().c_str());
        return 1;
    }
    presentGeneric();  // the buffer starts cleared, as after any earlier frame

    std::vector<uint16_t> screen(kScreenWidth * kScreenHeight);
    for (int angle : kAngles) {
        drawFrame(angle);
        readDisplayPortrait(screen.data());
        const fs::path file = outDir / ("pipeline_sat_" + std::to_string(angle) + ".png");
        std::string error;
        if (!writeRgb565Png(file, screen.data(), kScreenWidth, kScreenHeight, &error)) {
            std::fprintf(stderr, "pipeline_sat: %s: %s\n", file.string().c_str(), error.c_str());
            return 1;
        }
        std::printf("%s\n", file.string().c_str());
    }
    return 0;
}
