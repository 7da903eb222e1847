// SPDX-License-Identifier: MIT
// The colour model: RGB333 colour numbers with 32 shade levels, and ShadeLut, which turns
// such a ColorIndex into RGB565.
#include <veloxia/display.h>

#include <array>
#include <cstdint>

#include "display/colour_internal.h"
#include "engine/wrap.h"

namespace veloxia {

// ShadeLut: 16384 RGB565 values; entry n * 32 + s is colour number n at shade level s,
// i.e. each 8-bit palette channel scaled by (s + 1) / 32.
alignas(64) uint16_t ShadeLut[16384];

namespace {

// One palette entry: the 8-bit channels of a colour number (32 c + 31 per 3-bit component).
struct PaletteEntry {
    uint16_t r, g, b;
};

// The palette lives only while ShadeLut is built; a fixed array on the stack (3072 bytes)
// serves, so the build has no allocation that could fail.
using Palette = std::array<PaletteEntry, 512>;

void buildPalette(Palette& palette) {
    int n = 0;
    for (int r = 0; r < 8; ++r)
        for (int g = 0; g < 8; ++g)
            for (int b = 0; b < 8; ++b)
                palette[n++] = {uint16_t(32 * r + 31), uint16_t(32 * g + 31), uint16_t(32 * b + 31)};
}

}  // namespace

void buildShadeLut() {
    Palette palette;
    buildPalette(palette);
    for (int n = 0; n < 512; ++n) {
        const PaletteEntry& p = palette[n];
        for (int s = 0; s < 32; ++s) {
            const int red5 = (p.r * (s + 1)) >> 8;
            const int green6 = (p.g * (s + 1)) >> 7;
            const int blue5 = (p.b * (s + 1)) >> 8;
            ShadeLut[n * 32 + s] = uint16_t(red5 * 2048 + green6 * 32 + blue5);
        }
    }
}

// Channels above 255 are limited to 255; there is no lower limit (a negative channel gives a
// negative component, as the engine always did, and callers pass 0..255).
int makeColorIndex(int r, int g, int b) {
    auto top3 = [](int v) { return sar(wrapMul(v > 255 ? 255 : v, 8), 8); };
    return wrapMul(wrapAdd(wrapMul(wrapAdd(wrapMul(top3(r), 8), top3(g)), 8), top3(b)), 32);
}

// Only the 14 bits of a ColorIndex select the entry, so any int reads inside the table.
void colorIndexToRgb(int index, int32_t& r, int32_t& g, int32_t& b) {
    const int e = ShadeLut[index & 0x3FFF];
    b = (e & 31) * 8;
    g = (e >> 3) & 252;
    r = (e >> 8) & 248;
}

}  // namespace veloxia
