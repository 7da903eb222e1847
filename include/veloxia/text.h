// SPDX-License-Identifier: MIT
// The built-in anti-aliased font and text drawing.
//
// 46 glyphs, 15 pixels high, 8 intensity levels. A text ends at its first zero byte or '|'.
// Lower case shows as capitals, '^' is the circled C, '~' the pointer triangle, every byte
// without a glyph is blank. Text is written straight into the FrameBuffer as white at depth 0;
// pixels that would fall off the routine's screen are clipped, so text never wraps onto another
// buffer row and nothing is written outside the buffer.
#pragma once

#include <cstdint>

namespace veloxia {

inline constexpr int kFontRows = 15;
inline constexpr int kFontStripWidth = 472;
extern const uint8_t FontStrip[kFontRows * kFontStripWidth];  // row-major, pixel values 0..7
extern const int32_t GlyphStart[47];  // glyph g spans strip columns GlyphStart[g]..GlyphStart[g+1]-1
extern uint8_t GlyphMap[256];         // glyph number of each byte value

void buildGlyphMap();
int32_t textWidth(const char* text);  // sum of the glyph widths
// x, y: top-left corner (portrait screen pixels for the portrait routine, buffer cells for the
// landscape one); centre != 0 centres the text across the 240 or 320 columns.
int32_t drawTextPortrait(int32_t x, int32_t y, int32_t brightness, const char* text, int32_t centre);
int32_t drawTextLandscape(int32_t x, int32_t y, int32_t brightness, const char* text, int32_t centre);

}  // namespace veloxia
