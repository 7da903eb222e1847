// SPDX-License-Identifier: MIT
// Draws a lit triangle in immediate mode and a line of text, presents the frame and compares a
// digest of the screen with the one the engine draws in its own build. Exit 0 when they match.
#include <veloxia/veloxia.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace veloxia;

int main() {
    initEngine(&renderContext);
    renderContext.present = presentGeneric;
    stackInit(&matrixStack, 4);
    immReset();
    // The buffer starts all zero, nearer than anything: start as present leaves every later frame.
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x20000000u);

    loadIdentity();
    immBegin(1);
    immLightLevel(31);
    immVertex(-100, -80, -400);
    immLightLevel(16);
    immVertex(100, -80, -400);
    immLightLevel(4);
    immVertex(0, 90, -400);
    immEnd();
    renderContext.drawText(0, 300, 31, "VELOXIA", 1);
    renderContext.present();

    std::vector<uint16_t> screen(size_t(kScreenWidth) * kScreenHeight);
    readDisplayPortrait(screen.data());
    uint64_t digest = 14695981039346656037ull;  // FNV-1a over the pixels' bytes, low byte first
    for (uint16_t p : screen) {
        for (uint16_t byte : {uint16_t(p & 0xFF), uint16_t(p >> 8)}) digest = (digest ^ byte) * 1099511628211ull;
    }
    stackFree(&matrixStack);

    constexpr uint64_t kExpected = 6634585780612253846ull;
    std::printf("screen digest %llu\n", static_cast<unsigned long long>(digest));
    if (digest != kExpected) {
        std::fprintf(stderr, "veloxia_consumer: expected %llu\n", static_cast<unsigned long long>(kExpected));
        return 1;
    }
    return 0;
}
