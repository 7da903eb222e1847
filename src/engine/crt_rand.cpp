// SPDX-License-Identifier: MIT
// The handheld C runtime's rand, so every machine draws the same random bytes and stars.
#include <veloxia/engine.h>

namespace veloxia {

namespace {
uint32_t crtState = 1;  // the runtime's seed before any srand
}

int crtRand() {
    crtState = crtState * 214013u + 2531011u;
    return int((crtState >> 16) & 0x7FFFu);
}

void crtSeed(uint32_t seed) { crtState = seed; }

}  // namespace veloxia
