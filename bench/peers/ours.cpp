// SPDX-License-Identifier: MIT
#include "ours.h"

#include <algorithm>

#include "app/app.h"

namespace peers {

using namespace veloxia;

bool loadOurs(const std::filesystem::path& dataDir, std::string* error) {
    static const bool engineReady = [] {
        initEngine(&renderContext);
        stackInit(&matrixStack, 4);
        return true;
    }();
    (void)engineReady;
    if (Result loaded = loadBenchmarkData(dataDir); !loaded) {
        *error = loaded.reason();
        return false;
    }
    detectDisplay(&renderContext);
    return true;
}

const SceneObject& ourObject() { return *benchObject; }

const char* ourPresentName() {
    if (renderContext.present == presentGeneric) return "presentGeneric";
    if (renderContext.present == presentDirect) return "presentDirect";
    if (renderContext.present == presentFixedAddress) return "presentFixedAddress";
    return "another present routine";
}

void drawOurFrame(int32_t angle) {
    renderRunningObject(angle);
    flushFaceQueue(&faceQueue);
    renderContext.present();
}

Timing timeOurFrames(int32_t angle, int32_t frames) {
    const Stopwatch watch;
    for (int32_t i = 0; i < frames; ++i) drawOurFrame(angle + 17 * i);
    return watch.elapsed();
}

std::vector<uint16_t> ourPicture(int32_t angle) {
    drawOurFrame(angle);
    std::vector<uint16_t> portrait(kScreenWidth * kScreenHeight);
    readDisplayPortrait(portrait.data());
    return portrait;
}

std::vector<uint16_t> toPortrait(const std::vector<uint16_t>& landscape) {
    // Cell (fx, fy) lands on screen pixel (fy, 319 - fx).
    std::vector<uint16_t> portrait(kScreenWidth * kScreenHeight);
    for (int fy = 0; fy < kBufferHeight; ++fy) {
        for (int fx = 0; fx < kBufferWidth; ++fx) {
            portrait[(kScreenHeight - 1 - fx) * kScreenWidth + fy] = landscape[fy * kBufferWidth + fx];
        }
    }
    return portrait;
}

int64_t coveredPixels(const std::vector<uint16_t>& picture) {
    return std::count_if(picture.begin(), picture.end(), [](uint16_t p) { return p != 0; });
}

}  // namespace peers
