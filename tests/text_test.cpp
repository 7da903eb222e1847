// SPDX-License-Identifier: MIT
// The built-in font and the two text routines: the character map, text widths and centring,
// the cell value, and where every glyph pixel lands, clipped at the edges (against a plain
// per-pixel model of the routines on many random placements).
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace veloxia;

int glyphWidth(int g) { return GlyphStart[g + 1] - GlyphStart[g]; }
int strip(int g, int k, int r) { return FontStrip[r * kFontStripWidth + GlyphStart[g] + k]; }
uint32_t cellOf(int p, int b) { return uint32_t(((p * b) >> 3) + 0x3FE0); }

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        buildGlyphMap();
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
    }
    static std::vector<uint32_t> buffer() { return {std::begin(FrameBuffer), std::end(FrameBuffer)}; }
    static std::vector<uint32_t> drawnPortrait(int x, int y, const char* text, int centre = 0) {
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
        drawTextPortrait(x, y, 31, text, centre);
        return buffer();
    }
    // The portrait screen pixel (px, py) after the default presentation: buffer cell (319 - py, px).
    static uint32_t screen(int px, int py) { return FrameBuffer[px * kBufferWidth + (kBufferWidth - 1 - py)]; }
};

TEST_F(Text, GlyphMapCoversEveryByte) {
    std::string signs = ".,':;_-^~";
    const int signGlyph[] = {36, 37, 38, 39, 41, 42, 43, 44, 45};
    for (int c = 0; c < 256; ++c) {
        int expected = 40;
        if (c >= '0' && c <= '9') expected = c - '0';
        if (c >= 'A' && c <= 'Z') expected = 10 + c - 'A';
        if (c >= 'a' && c <= 'z') expected = 10 + c - 'a';
        const size_t s = signs.find(char(c));
        if (c != 0 && s != std::string::npos) expected = signGlyph[s];
        EXPECT_EQ(GlyphMap[c], expected) << "byte " << c;
    }
}

TEST_F(Text, WidthStopsAtTerminatorAndCountsBlanks) {
    EXPECT_EQ(textWidth(""), 0);
    EXPECT_EQ(textWidth("|ABC"), 0);
    EXPECT_EQ(textWidth("-----------------------------"), 232);
    EXPECT_EQ(textWidth("AB|C"), 12 + 9);
    EXPECT_EQ(textWidth("veloxia"), textWidth("VELOXIA"));
    EXPECT_EQ(textWidth("A\xC8" "B"), 12 + 7 + 9);
    EXPECT_EQ(textWidth("^2026"), 16 + 10 + 11 + 10 + 9);
}

TEST_F(Text, LandscapeCentresInTheRows) {
    const std::string rule30(30, '-');  // 240 wide: centred in 320 columns at x = 40
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
    drawTextLandscape(0, 50, 31, rule30.c_str(), 1);
    const std::vector<uint32_t> centred = buffer();
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
    drawTextLandscape(40, 50, 31, rule30.c_str(), 0);
    EXPECT_EQ(buffer(), centred);
}

TEST_F(Text, CentringAcrossThePortraitScreen) {
    const std::string rule29(29, '-'), rule30(30, '-');
    EXPECT_EQ(drawnPortrait(0, 28, rule29.c_str(), 1), drawnPortrait(4, 28, rule29.c_str()));
    EXPECT_EQ(drawnPortrait(0, 28, rule30.c_str(), 1), drawnPortrait(0, 28, rule30.c_str()));
    const std::string wide = rule29 + "3";  // 232 + 9 = 241
    ASSERT_EQ(textWidth(wide.c_str()), 241);
    const std::vector<uint32_t> empty(kBufferCells, 0u);
    EXPECT_EQ(drawnPortrait(0, 28, wide.c_str(), 1), empty);
    EXPECT_EQ(drawTextPortrait(0, 28, 31, wide.c_str(), 1), 0);
    // The x passed is ignored when centring.
    EXPECT_EQ(drawnPortrait(-500, 28, rule29.c_str(), 1), drawnPortrait(4, 28, rule29.c_str()));
}

// A plain model of the routines: every glyph pixel through its cell formula (intensity 1..7 times
// the brightness, in eighths, as the shade level of white), kept where it lands on
// the routine's screen (portrait: screen column 0..239, buffer column 320 - (y + r) in 0..320 and
// the cell inside the buffer; landscape: column 0..319, row 0..239).
void model(std::vector<uint32_t>& cells, bool portrait, int64_t x, int64_t y, int b, const std::string& text) {
    cells.assign(kBufferCells, 0u);
    int64_t pen = 0;
    for (char c : text) {
        if (c == '|') break;
        const int g = GlyphMap[uint8_t(c)];
        for (int r = 0; r < kFontRows; ++r) {
            for (int k = 0; k < glyphWidth(g); ++k) {
                const int p = strip(g, k, r);
                const int64_t along = x + pen + k, across = y + r;
                int64_t index = -1;
                if (portrait && along >= 0 && along < 240 && across >= 0 && across <= 320) {
                    index = (along + 1) * 320 - across;
                } else if (!portrait && along >= 0 && along < 320 && across >= 0 && across < 240) {
                    index = across * 320 + along;
                }
                if (p != 0 && index >= 0 && index < kBufferCells) cells[size_t(index)] = cellOf(p, b);
            }
        }
        pen += glyphWidth(g);
    }
}

TEST_F(Text, ClipsAtEveryEdgeLikeThePlainModel) {
    std::mt19937 random(7);
    const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZaz\xC8@.,':;_-^~ W|";  // lower case and unmapped too
    std::vector<uint32_t> expected;
    const int extremes[] = {INT_MIN, -100000, -16, -1, 0, 1, 225, 239, 240, 305, 319, 320, 321, INT_MAX};
    const int brightnesses[] = {31, 0, 8, 36, 17};
    for (int i = 0; i < 1200; ++i) {
        std::string text;
        for (int n = 1 + int(random() % 6); n > 0; --n) text += alphabet[random() % alphabet.size()];
        int x = int(random() % 360) - 60, y = int(random() % 400) - 40;
        if (i % 5 == 0) x = extremes[random() % 14];
        if (i % 7 == 0) y = extremes[random() % 14];
        const bool portrait = i % 2 == 0;
        const int brightness = brightnesses[i % 5];
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
        (portrait ? drawTextPortrait : drawTextLandscape)(x, y, brightness, text.c_str(), 0);
        model(expected, portrait, x, y, brightness, text);
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), FrameBuffer))
            << (portrait ? "portrait" : "landscape") << " '" << text << "' at " << x << "," << y << " brightness "
            << brightness;
    }
}

TEST_F(Text, TopRowOfAPortraitTextAtYZeroLandsInColumnZeroOfTheNextRow) {
    // The frame-rate read-out is drawn at y = 0: glyph row 0 goes to buffer column 320 - 0, which
    // is column 0 of the following buffer row. The circled C has faint ink on row 0.
    int k = 0;
    while (k < 16 && strip(44, k, 0) == 0) ++k;
    ASSERT_LT(k, 16);
    drawTextPortrait(10, 0, 31, "^", 0);
    EXPECT_EQ(FrameBuffer[(10 + k + 1) * kBufferWidth], cellOf(strip(44, k, 0), 31));
    // At the last screen column that cell would lie past the buffer, and is dropped.
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
    drawTextPortrait(239 - k, 0, 31, "^", 0);
    EXPECT_EQ(FrameBuffer[kBufferCells - 1 - (kBufferWidth - 1)], 0u);
    std::vector<uint32_t> expected;
    model(expected, true, 239 - k, 0, 31, "^");
    EXPECT_EQ(buffer(), expected);
}

}  // namespace
