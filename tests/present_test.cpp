// SPDX-License-Identifier: MIT
// Display detection and the present routines: where every cell lands in display memory on each
// path, the value each path clears to, that nothing outside the layout is touched, the Game API
// calls, and that the picture read back is the same whichever routine presented the frame.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

#include "display/display_memory.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace veloxia;
using namespace std::string_literals;

constexpr int kPixels = kScreenWidth * kScreenHeight;
constexpr int kLead = 319;     // pixels of the direct region before the Game API pointer
constexpr int kGuard = 64;     // untouched pixels kept around every layout
constexpr uint16_t kUnwritten = 0xA5A5;

// Display memory for a test: guard, 319 + 76800 pixels with the Game API pointer at 319, guard;
// and a separate fixed-address region with guards of its own.
struct TestDisplay {
    std::vector<uint16_t> memory = std::vector<uint16_t>(kGuard + kLead + kPixels + kGuard, kUnwritten);
    std::vector<uint16_t> fixed = std::vector<uint16_t>(kGuard + kPixels + kGuard, kUnwritten);
    int begins = 0, ends = 0;
    std::u16string oem;

    uint16_t* pointer() { return memory.data() + kGuard + kLead; }
    uint16_t* direct() { return memory.data() + kGuard; }
    uint16_t* fixedRegion() { return fixed.data() + kGuard; }
};

TestDisplay* display = nullptr;

DisplayHost hostFor(TestDisplay& d) {
    display = &d;
    return {[] { ++display->begins; return display->pointer(); },
            [] { ++display->ends; return 77; },
            d.fixedRegion(),
            [] { return display->oem; }};
}

bool guardsIntact(const TestDisplay& d) {
    const auto intact = [](auto first, auto last) { return std::all_of(first, last, [](uint16_t v) { return v == kUnwritten; }); };
    return intact(d.memory.begin(), d.memory.begin() + kGuard) && intact(d.memory.end() - kGuard, d.memory.end()) &&
           intact(d.fixed.begin(), d.fixed.begin() + kGuard) && intact(d.fixed.end() - kGuard, d.fixed.end());
}

enum class Routine { generic, direct, fixedAddress };

struct Path {
    Routine routine;
    uint32_t rotation;
    uint32_t cleared;
    const char* name;
};

constexpr Path kPaths[] = {
    {Routine::generic, 0, 0x10000000, "generic counter-clockwise"},
    {Routine::generic, 1, 0x20000000, "generic clockwise"},
    {Routine::direct, 0, 0x20000000, "direct straight"},
    {Routine::direct, 1, 0x20000000, "direct reversed"},
    {Routine::fixedAddress, 0, 0x20000000, "fixed-address reversed"},
    {Routine::fixedAddress, 1, 0x20000000, "fixed-address straight"},
};

int present(const Path& path) {
    renderContext.presentRotation = path.rotation;
    switch (path.routine) {
    case Routine::generic: return presentGeneric();
    case Routine::direct: return presentDirect();
    case Routine::fixedAddress: return presentFixedAddress();
    }
    return -1;
}

class Present : public ::testing::Test {
protected:
    void SetUp() override {
        setDisplayHost(hostFor(screen));
        // A table that gives every colour its own value, so a misplaced pixel cannot hide.
        for (int i = 0; i < 16384; ++i) ShadeLut[i] = uint16_t(i * 3 + 1);
    }
    void TearDown() override { setDisplayHost({}); }

    // Random cells, stray bits above the ColorIndex included (they must never reach past the
    // table); returns the cells as they were.
    std::vector<uint32_t> randomFrame(unsigned seed) {
        std::mt19937 random(seed);
        for (uint32_t& cell : FrameBuffer) cell = uint32_t(random());
        return {std::begin(FrameBuffer), std::end(FrameBuffer)};
    }

    // A frame of blocks of 16 x 4 cells, the steps the routines may take in one go (16 cells of a
    // row, or 4 x 4): random cells, or one value throughout (often a cleared value), or one value
    // but for a single cell anywhere in the block that differs in its colour, its depth only, or
    // its bits above the colour only. A routine that lets one lookup serve a whole block must look
    // at every cell of it.
    std::vector<uint32_t> blockFrame(unsigned seed) {
        std::mt19937 random(seed);
        const auto draw = [&random](uint32_t n) { return uint32_t(random() % n); };
        constexpr uint32_t kCleared[] = {0x10000000, 0x20000000, 0};
        for (int by = 0; by < kBufferHeight; by += 4) {
            for (int bx = 0; bx < kBufferWidth; bx += 16) {
                const uint32_t kind = draw(6);
                const uint32_t value = draw(2) != 0 ? kCleared[draw(3)] : uint32_t(random());
                uint32_t odd = value;
                if (kind == 3) odd = (value & ~0x3FFFu) | ((value + 1 + draw(0x3FFE)) & 0x3FFFu);  // colour
                if (kind == 4) odd = value + (1 + draw(0xFFFF)) * 0x10000u;                        // depth
                if (kind == 5) odd = value ^ (1 + draw(3)) << 14;                                    // stray bits
                const int oddCell = int(draw(64));
                for (int k = 0; k < 64; ++k) {
                    uint32_t& cell = FrameBuffer[(by + k / 16) * kBufferWidth + bx + k % 16];
                    cell = kind == 0 ? uint32_t(random()) : k == oddCell ? odd : value;
                }
            }
        }
        return {std::begin(FrameBuffer), std::end(FrameBuffer)};
    }

    // Where cell (fx, fy) must land, as a pixel of the display memory block of `screen`.
    uint16_t landed(const Path& path, int fx, int fy) {
        const int k = fy * kBufferWidth + fx;
        switch (path.routine) {
        case Routine::generic:  // portrait lines of 240 pixels
            return path.rotation == 0 ? screen.pointer()[(319 - fx) * kScreenWidth + fy]
                                      : screen.pointer()[fx * kScreenWidth + (239 - fy)];
        case Routine::direct:
            return screen.direct()[path.rotation == 0 ? k : kPixels - 1 - k];
        case Routine::fixedAddress:
            return screen.fixedRegion()[path.rotation == 0 ? kPixels - 1 - k : k];
        }
        return 0;
    }

    TestDisplay screen;
};

TEST_F(Present, EveryPathPutsEachCellInItsPlaceAndClearsIt) {
    for (const Path& path : kPaths) for (bool blocks : {false, true}) {
        const unsigned seed = unsigned(&path - kPaths);
        const std::vector<uint32_t> frame = blocks ? blockFrame(seed) : randomFrame(seed);
        present(path);
        for (int fy = 0; fy < kBufferHeight; ++fy) {
            for (int fx = 0; fx < kBufferWidth; ++fx) {
                ASSERT_EQ(landed(path, fx, fy), ShadeLut[frame[fy * kBufferWidth + fx] & 0x3FFF])
                    << path.name << " cell " << fx << "," << fy;
            }
        }
        EXPECT_EQ(std::count(std::begin(FrameBuffer), std::end(FrameBuffer), path.cleared), kBufferCells) << path.name;
        EXPECT_TRUE(guardsIntact(screen)) << path.name << " wrote outside its layout";
    }
}

TEST_F(Present, GameApiCallsAndResults) {
    EXPECT_EQ(present(kPaths[0]), 77);
    EXPECT_EQ(present(kPaths[3]), 77);
    EXPECT_EQ(screen.begins, 2);
    EXPECT_EQ(screen.ends, 2);
    present(kPaths[4]);
    present(kPaths[5]);
    EXPECT_EQ(screen.begins, 2) << "the fixed-address display bypasses the Game API";
    EXPECT_EQ(screen.ends, 2);
}

TEST_F(Present, EveryRoutineShowsTheSamePicture) {
    std::vector<uint16_t> picture(kPixels), reference(kPixels);
    readDisplayPortrait(picture.data());
    EXPECT_EQ(std::count(picture.begin(), picture.end(), 0), kPixels) << "nothing presented yet";
    for (uint32_t rotation : {0u, 1u}) {
        for (const Path& path : kPaths) {
            if (path.rotation != rotation) continue;
            randomFrame(rotation + 11);
            present(path);
            readDisplayPortrait(picture.data());
            if (path.routine == Routine::generic) {
                reference = picture;
            } else {
                EXPECT_EQ(picture, reference) << path.name;
            }
        }
    }
}

TEST_F(Present, ReadsIntoLongerLinesWithoutTouchingTheirEnds) {
    constexpr int kLine = 256;  // a window texture's pitch, in pixels
    std::vector<uint16_t> packed(kPixels), padded(kLine * kScreenHeight, 0xABCD);
    readDisplayPortrait(padded.data(), kLine);
    EXPECT_EQ(std::count(padded.begin(), padded.end(), 0), kPixels) << "nothing presented yet: black lines";
    for (const Path& path : kPaths) {
        randomFrame(path.rotation + 5);
        present(path);
        readDisplayPortrait(packed.data());
        std::fill(padded.begin(), padded.end(), 0xABCD);
        readDisplayPortrait(padded.data(), kLine);
        for (int y = 0; y < kScreenHeight; ++y) {
            const auto line = padded.begin() + y * kLine;
            ASSERT_TRUE(std::equal(line, line + kScreenWidth, packed.begin() + y * kScreenWidth)) << path.name << " line " << y;
            ASSERT_EQ(std::count(line + kScreenWidth, line + kLine, 0xABCD), kLine - kScreenWidth) << path.name;
        }
    }
}

// Every routine may run a vector loop; the plain loop of its layout is the reference, on random
// frames and on frames of blocks. The whole display memory must match, guards included.
TEST_F(Present, EveryPathMatchesItsPlainLoop) {
    const auto plain = [](const Path& path, TestDisplay& d) {
        switch (path.routine) {
        case Routine::generic:
            return path.rotation == 0 ? rotateCopyCounterClockwisePlain(FrameBuffer, d.pointer() + 319 * kScreenWidth, ShadeLut)
                                      : rotateCopyClockwisePlain(FrameBuffer, d.pointer(), ShadeLut);
        case Routine::direct:
            return path.rotation == 0 ? straightCopyPlain(FrameBuffer, d.direct(), ShadeLut)
                                      : reversedCopyPlain(FrameBuffer, d.direct(), ShadeLut);
        case Routine::fixedAddress:
            return path.rotation == 0 ? reversedCopyPlain(FrameBuffer, d.fixedRegion(), ShadeLut)
                                      : straightCopyPlain(FrameBuffer, d.fixedRegion(), ShadeLut);
        }
    };
    for (const Path& path : kPaths) {
        for (unsigned seed = 100; seed < 120; ++seed) {
            const std::vector<uint32_t> frame = seed % 4 == 0 ? randomFrame(seed) : blockFrame(seed);
            TestDisplay reference;
            plain(path, reference);
            ASSERT_EQ(std::count(std::begin(FrameBuffer), std::end(FrameBuffer), path.cleared), kBufferCells) << path.name;
            std::copy(frame.begin(), frame.end(), FrameBuffer);
            std::fill(screen.memory.begin(), screen.memory.end(), kUnwritten);
            std::fill(screen.fixed.begin(), screen.fixed.end(), kUnwritten);
            present(path);
            ASSERT_TRUE(screen.memory == reference.memory && screen.fixed == reference.fixed)
                << path.name << ", seed " << seed;
            ASSERT_EQ(std::count(std::begin(FrameBuffer), std::end(FrameBuffer), path.cleared), kBufferCells) << path.name;
        }
    }
}

TEST_F(Present, PortraitTextReadsUprightAfterTheDefaultPresent) {
    initShading(-8192, 10);
    buildGlyphMap();
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x20000000u);
    drawTextPortrait(30, 100, 31, "L", 0);  // the L's foot is its bottom rows, to the right
    present(kPaths[2]);
    std::vector<uint16_t> picture(kPixels);
    readDisplayPortrait(picture.data());
    const int g = GlyphMap[uint8_t('L')];
    for (int r = 0; r < kFontRows; ++r) {
        for (int k = 0; k < GlyphStart[g + 1] - GlyphStart[g]; ++k) {
            const int p = FontStrip[r * kFontStripWidth + GlyphStart[g] + k];
            const uint16_t expected = p != 0 ? ShadeLut[0x3FE0 + ((p * 31) >> 3)] : ShadeLut[0];
            ASSERT_EQ(picture[(100 + r - 1) * kScreenWidth + 30 + k], expected) << k << "," << r;
        }
    }
}

TEST_F(Present, BuiltInMemoryServesEveryRoutine) {
    setDisplayHost({});
    std::vector<uint16_t> picture(kPixels);
    for (const Path& path : kPaths) {
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
        FrameBuffer[0] = 16383;
        EXPECT_EQ(present(path), path.routine == Routine::fixedAddress ? 0 : 1) << path.name;
        readDisplayPortrait(picture.data());
        // Cell (0, 0) shows at the bottom left, or at the top right when turned the other way.
        EXPECT_EQ(picture[path.rotation == 0 ? 319 * kScreenWidth : 239], ShadeLut[16383]) << path.name;
        EXPECT_EQ(FrameBuffer[0], path.cleared);
    }
}

TEST_F(Present, RotateCopyWritesThroughAWordPointer) {
    const std::vector<uint32_t> frame = randomFrame(3);
    std::vector<uint32_t> words(kPixels / 2, 0);
    rotateCopyCounterClockwise(FrameBuffer, words.data() + 319 * kScreenWidth / 2, ShadeLut);
    const uint16_t expectedFirst = ShadeLut[frame[0] & 0x3FFF], expectedSecond = ShadeLut[frame[320] & 0x3FFF];
    // Cells (0, 0) and (0, 1) share the first word of the last line, (0, 0) at the lower address
    // (the word's low half on a little-endian machine such as the handheld).
    uint16_t pair[2];
    std::memcpy(pair, &words[319 * kScreenWidth / 2], sizeof pair);
    EXPECT_EQ(pair[0], expectedFirst);
    EXPECT_EQ(pair[1], expectedSecond);
    EXPECT_EQ(std::count(std::begin(FrameBuffer), std::end(FrameBuffer), 0x10000000u), kBufferCells);
}

TEST(DetectDisplay, ChoosesTheRoutineFromTheOemString) {
    TestDisplay d;
    setDisplayHost(hostFor(d));
    const struct {
        std::u16string oem;
        PresentFn expected;
    } cases[] = {
        {u"Compaq iPAQ H3800", presentFixedAddress},  // fifteenth character '8'
        {u"Compaq iPAQ H3600", presentDirect},
        {u"Compaq", presentDirect},                    // past the end reads as 0
        {u"Compaq\0\0\0\0\0\0\0\0" u"8"s, presentFixedAddress},  // no terminator check
        {u"Palmax PD1100", presentDirect},
        {u"Palmax", presentDirect},
        {u"compaq iPAQ H3800", presentGeneric},
        {u"PALMAX", presentGeneric},
        {u"Compa", presentGeneric},
        {u"HP iPAQ h5450", presentGeneric},
        {u"", presentGeneric},
    };
    for (const auto& c : cases) {
        d.oem = c.oem;
        RenderContext rc{};
        EXPECT_EQ(detectDisplay(&rc), 1);
        EXPECT_EQ(rc.present, c.expected) << std::string(c.oem.begin(), c.oem.end());
    }
    setDisplayHost({});
    RenderContext rc{};
    detectDisplay(&rc);
    EXPECT_EQ(rc.present, presentGeneric) << "the built-in host has an empty OEM string";
}

}  // namespace
