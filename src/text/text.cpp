// SPDX-License-Identifier: MIT
// The character map and the two text routines.
//
// A glyph pixel of intensity p drawn with brightness b replaces its whole cell by
// ((p * b) >> 3) + 0x3FE0: white (colour number 511) at shade level (p * b) >> 3, depth 0, so
// nothing drawn later in the frame covers it. Intensity 0 leaves the cell alone.
//
// Clipping: a pixel is drawn only where it lands on the screen the routine writes for, so no
// caller can write outside the FrameBuffer and text never wraps onto another row of the buffer.
// The portrait routine puts glyph row r of a text at y on buffer column 320 - (y + r); a pixel
// with y + r = 0 lands in column 0 of the buffer row after its own, as it always has on this
// engine (the frame-rate read-out at y = 0 relies on that), unless that row does not exist.
// Everything the system's own callers draw is inside these limits and comes out unchanged.
#include <algorithm>
#include <cstdint>

#include <veloxia/display.h>
#include <veloxia/text.h>

#include "engine/wrap.h"

namespace veloxia {

uint8_t GlyphMap[256];

namespace {

constexpr uint8_t kBlankGlyph = 40;
constexpr uint32_t kWhiteLevel0 = 0x3FE0;  // ColorIndex of colour number 511 at shade level 0

bool endsText(char c) { return c == '\0' || c == '|'; }

// The cell value each intensity 0..7 writes at one brightness (entry 0 is never written).
struct Ink {
    uint32_t cell[8];
};

Ink inkFor(int32_t brightness) {
    Ink ink{};
    for (int32_t p = 1; p < 8; ++p) ink.cell[p] = uint32_t(wrapAdd(sar(wrapMul(p, brightness), 3), kWhiteLevel0));
    return ink;
}

int64_t clampTo(int64_t v, int64_t lo, int64_t hi) { return std::clamp(v, lo, hi); }

// Where a text starts along its lines: x, or centred across `span` pixels. False when a centred
// text is wider than the span, in which case nothing is drawn.
bool startColumn(int32_t& x, const char* text, int32_t centre, int32_t span) {
    if (centre == 0) return true;
    x = sar(wrapSub(span, textWidth(text)), 1);
    return x >= 0;
}

}  // namespace

void buildGlyphMap() {
    std::fill(std::begin(GlyphMap), std::end(GlyphMap), kBlankGlyph);
    for (int c = 0; c < 10; ++c) GlyphMap['0' + c] = uint8_t(c);
    for (int c = 0; c < 26; ++c) {
        GlyphMap['A' + c] = uint8_t(10 + c);
        GlyphMap['a' + c] = uint8_t(10 + c);  // lower case shows as capitals
    }
    GlyphMap[uint8_t('.')] = 36;
    GlyphMap[uint8_t(',')] = 37;
    GlyphMap[uint8_t('\'')] = 38;
    GlyphMap[uint8_t(':')] = 39;
    GlyphMap[uint8_t(' ')] = 40;
    GlyphMap[uint8_t(';')] = 41;  // left-pointing arrow
    GlyphMap[uint8_t('_')] = 42;
    GlyphMap[uint8_t('-')] = 43;
    GlyphMap[uint8_t('^')] = 44;  // circled C
    GlyphMap[uint8_t('~')] = 45;  // solid right-pointing triangle
}

int32_t textWidth(const char* text) {
    int32_t width = 0;
    for (; !endsText(*text); ++text) {
        const uint8_t g = GlyphMap[uint8_t(*text)];
        width = wrapAdd(width, GlyphStart[g + 1] - GlyphStart[g]);
    }
    return width;
}

// Returns the text's width in pixels, or 0 when a centred text is too wide to draw.
int32_t drawTextPortrait(int32_t x, int32_t y, int32_t brightness, const char* text, int32_t centre) {
    if (!startColumn(x, text, centre, kScreenWidth)) return 0;
    const Ink ink = inkFor(brightness);
    // Glyph rows whose buffer column 320 - (y + r) exists (320 meaning column 0 of the next row).
    const int r0 = int(clampTo(-int64_t(y), 0, kFontRows));
    const int r1 = int(clampTo(int64_t(kBufferWidth) + 1 - y, 0, kFontRows));
    int64_t pen = 0;
    for (; !endsText(*text); ++text) {
        const uint8_t g = GlyphMap[uint8_t(*text)];
        const int32_t a = GlyphStart[g], w = GlyphStart[g + 1] - a;
        const int64_t left = x + pen;  // screen column of the glyph's first strip column
        pen += w;
        // Strip offsets whose screen column 0..239 (buffer row) exists.
        const int k0 = int(clampTo(-left, 0, w)), k1 = int(clampTo(kScreenWidth - left, 0, w));
        for (int r = r0; r < r1; ++r) {
            const int64_t t = int64_t(y) + r;
            // Column 0 of the row after the last one does not exist.
            const int kEnd = t == 0 ? int(clampTo(kScreenWidth - 1 - left, k0, k1)) : k1;
            const uint8_t* strip = FontStrip + r * kFontStripWidth + a;
            for (int k = k0; k < kEnd; ++k) {
                if (strip[k] != 0) FrameBuffer[(left + k + 1) * kBufferWidth - t] = ink.cell[strip[k]];
            }
        }
    }
    return int32_t(pen);
}

// Returns the text's width in pixels, or 0 when a centred text is too wide to draw.
int32_t drawTextLandscape(int32_t x, int32_t y, int32_t brightness, const char* text, int32_t centre) {
    if (!startColumn(x, text, centre, kBufferWidth)) return 0;
    const Ink ink = inkFor(brightness);
    const int r0 = int(clampTo(-int64_t(y), 0, kFontRows));
    const int r1 = int(clampTo(int64_t(kBufferHeight) - y, 0, kFontRows));
    int64_t pen = 0;
    for (; !endsText(*text); ++text) {
        const uint8_t g = GlyphMap[uint8_t(*text)];
        const int32_t a = GlyphStart[g], w = GlyphStart[g + 1] - a;
        const int64_t left = x + pen;
        pen += w;
        const int k0 = int(clampTo(-left, 0, w)), k1 = int(clampTo(kBufferWidth - left, 0, w));
        for (int r = r0; r < r1; ++r) {
            const uint8_t* strip = FontStrip + r * kFontStripWidth + a;
            uint32_t* row = FrameBuffer + (int64_t(y) + r) * kBufferWidth;
            for (int k = k0; k < k1; ++k) {
                if (strip[k] != 0) row[left + k] = ink.cell[strip[k]];
            }
        }
    }
    return int32_t(pen);
}

}  // namespace veloxia
