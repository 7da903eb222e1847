// SPDX-License-Identifier: MIT
// Walks a camera through a generated hall drawn by the world renderer: near cells perspective-
// correct, far cells affine, hidden cells skipped by the occlusion test. A pulsing glow lights the
// floor by a pillar and a patch of floor is darkened. Runs headless and writes PNG frames; prints the
// renderer's figures for every frame.
//
//   world_walkthrough [--frames N] [--every K] [--out DIR]
#include <veloxia/veloxia.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "png_file.h"
#include "world_hall.h"

using namespace veloxia;

namespace {

struct Options {
    int frames = 240;
    int every = 60;  // write a PNG every K frames (0: none)
    std::filesystem::path out = ".";
};

void usage(std::FILE* to) {
    std::fprintf(to,
                 "usage: world_walkthrough [--frames N] [--every K] [--out DIR]\n"
                 "  --frames N  frames to draw along the loop (default 240)\n"
                 "  --every K   write DIR/walk_NNNN.png every K frames, 0 for none (default 60)\n"
                 "  --out DIR   directory for the pictures (default .)\n");
}

bool parseInt(const char* text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 0 || v > 1000000) return false;
    value = int(v);
    return true;
}

// 0: run; 1: stop with success (--help); 2: bad usage.
int parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 1;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "world_walkthrough: %s needs a value\n", arg.c_str());
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--out") {
            o.out = value;
        } else if ((arg == "--frames" && parseInt(value, o.frames) && o.frames > 0) ||
                   (arg == "--every" && parseInt(value, o.every))) {
        } else {
            std::fprintf(stderr, "world_walkthrough: bad option %s %s\n", arg.c_str(), value);
            return 2;
        }
    }
    return 0;
}

bool savePicture(const std::filesystem::path& path) {
    std::vector<uint16_t> portrait(size_t(kScreenWidth) * kScreenHeight);
    readDisplayPortrait(portrait.data());
    std::string error;
    if (!examples::writePng(path, portrait.data(), kScreenWidth, kScreenHeight, error)) {
        std::fprintf(stderr, "world_walkthrough: %s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int r = parseOptions(argc, argv, options); r != 0) {
        if (r == 2) usage(stderr);
        return r == 1 ? 0 : 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.out, ec);

    initEngine(&renderContext);
    stackInit(&matrixStack, 4);
    setRenderMode(&renderContext, 0);      // linear depth fade...
    setEngineOption(&renderContext, 0, 4096);  // ...over the last 4096 units
    // The straight-copy present clears the buffer to depth 8192; the generic rotating one would
    // clear to 4096 and cut the far half of the hall away.
    renderContext.present = presentDirect;

    static walkthrough::Hall hall;
    static World world;
    if (buildWorld(&world, hall.objects, 4, 8, 1, 8) != 0) {
        std::fprintf(stderr, "world_walkthrough: the world does not fit in %d cells\n", kMaxWorldCells);
        return 1;
    }
    std::printf("world: %d faces in %d cells\n", hall.faceCount(), world.cellCount);

    // A glow beside a pillar that pulses about once a second at 30 frames a second...
    VertexLightEffect glow{};
    glow.x = -800;
    glow.y = 80;
    glow.z = -120;
    glow.phaseStep = 68;
    glow.intensity = 128;
    const int lit = createVertexLightEffect(&glow, 31, 700, 1023, 1, hall.objects, 4);
    // ...and a dark patch on the floor ahead of the start.
    const int16_t spot[3] = {900, 60, 500};
    darkenVertices(spot, 256, 500, hall.objects, 4);
    std::printf("glow: %d vertices\n", lit);

    // The buffer starts all zero, nearer than anything; present clears it to depth 8192 after each
    // frame, so the first frame needs the same start.
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x20000000u);
    for (int f = 0; f < options.frames; ++f) {
        ++renderContext.frameCounter;
        updateVertexLightEffect(&glow);
        walkthrough::cameraAt(f, options.frames, matrixStack.top);
        renderWorldNear(&world);
        if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
        renderContext.present();
        std::printf("frame %4d: cells visible %3d drawn %3d occluded %3d, faces %5d\n", f, worldStats.cellsVisible,
                    worldStats.cellsDrawn, worldStats.cellsOccluded, worldStats.facesSubmitted);
        if (options.every > 0 && f % options.every == 0) {
            char name[32];
            std::snprintf(name, sizeof name, "walk_%04d.png", f);
            if (!savePicture(options.out / name)) return 1;
        }
    }
    removeVertexLightEffect(&glow);
    freeWorld(&world);
    stackFree(&matrixStack);
    return 0;
}
