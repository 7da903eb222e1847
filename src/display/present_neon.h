// SPDX-License-Identifier: MIT
// The present loops with NEON, which every aarch64 processor has. present.cpp includes this file;
// VX_PRESENT_NEON tells it whether the loops are here (not with VX_PRESENT_PLAIN, nor on 32-bit
// ARM, where NEON is optional).
//
// The same loops as present_sse2.h: 4 x 4 or 16 cells a step, each colour looked up on its own
// unless every cell of the step is the same, when one lookup serves the whole step. Every pixel is
// still stored every frame. Lanes are taken and stored by number, so the byte order does not
// matter.
#pragma once

#if defined(__aarch64__) && defined(__ARM_NEON) && !defined(VX_PRESENT_PLAIN)
#define VX_PRESENT_NEON 1

#include <arm_neon.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "display/present_cells.h"

namespace veloxia::present_vector {

// True when every lane holds the first lane of `first`: one compare a vector.
template <class... Rest>
[[gnu::always_inline]] inline bool oneCell(uint32x4_t first, Rest... rest) {
    const uint32x4_t broadcast = vdupq_laneq_u32(first, 0);
    uint32x4_t differ = veorq_u32(first, broadcast);
    ((differ = vorrq_u32(differ, veorq_u32(rest, broadcast))), ...);
    return vmaxvq_u32(differ) == 0;
}

// The pixel of the first lane's cell.
[[gnu::always_inline]] inline uint16_t pixelOfFirst(uint32x4_t cells, const uint16_t* table) {
    return table[vgetq_lane_u32(cells, 0) & kColourMask];
}

// Reads four cells and stores the cleared value in their place.
[[gnu::always_inline]] inline uint32x4_t load(uint32_t* cells, uint32x4_t cleared) {
    const uint32x4_t read = vld1q_u32(cells);
    vst1q_u32(cells, cleared);
    return read;
}

// Pixel k: cell Cell of row k (rows in line order), one line's four pixels of one cell.
template <int Cell, size_t... Row>
[[gnu::always_inline]] inline uint16x4_t linePixels(const uint32x4_t (&rows)[4], const uint16_t* table,
                                                    std::index_sequence<Row...>) {
    uint16x4_t pixels = vdup_n_u16(0);
    ((pixels = vset_lane_u16(table[vgetq_lane_u32(rows[Row], Cell)], pixels, int(Row))), ...);
    return pixels;
}

// The rotations, four cells of four rows a step. Cell x of the four rows is four pixels of one
// screen line, rows 0..3 counter-clockwise (cell (fx, fy) to portrait pixel (fy, 319 - fx),
// `firstLine` the first pixel of line 319, each cell a line further up) and rows 3..0 clockwise
// (to (239 - fy, fx), `firstLine` the first pixel of line 0, each cell a line further down).
template <bool Clockwise>
void rotate(uint32_t* source, uint16_t* firstLine, const uint16_t* table) {
    constexpr ptrdiff_t next = Clockwise ? kScreenWidth : -kScreenWidth;  // cell x's line to x + 1's
    const uint32x4_t mask = vdupq_n_u32(kColourMask);
    const uint32x4_t cleared = vdupq_n_u32(Clockwise ? kClearFar : kClearNear);
    for (int y = 0; y < kBufferHeight; y += 4) {
        uint32_t* const row = source + y * kBufferWidth;
        uint16_t* out = firstLine + (Clockwise ? kScreenWidth - 4 - y : y);
        for (int x = 0; x < kBufferWidth; x += 4, out += 4 * next) {
            uint32_t* const cells = row + x;
            const uint32x4_t c0 = load(cells, cleared);
            const uint32x4_t c1 = load(cells + kBufferWidth, cleared);
            const uint32x4_t c2 = load(cells + 2 * kBufferWidth, cleared);
            const uint32x4_t c3 = load(cells + 3 * kBufferWidth, cleared);
            if (oneCell(c0, c1, c2, c3)) {
                const uint16x4_t pixels = vdup_n_u16(pixelOfFirst(c0, table));
                vst1_u16(out, pixels);
                vst1_u16(out + next, pixels);
                vst1_u16(out + 2 * next, pixels);
                vst1_u16(out + 3 * next, pixels);
            } else {
                const uint32x4_t rows[4] = {vandq_u32(Clockwise ? c3 : c0, mask), vandq_u32(Clockwise ? c2 : c1, mask),
                                            vandq_u32(Clockwise ? c1 : c2, mask), vandq_u32(Clockwise ? c0 : c3, mask)};
                const auto each = std::make_index_sequence<4>{};
                vst1_u16(out, linePixels<0>(rows, table, each));
                vst1_u16(out + next, linePixels<1>(rows, table, each));
                vst1_u16(out + 2 * next, linePixels<2>(rows, table, each));
                vst1_u16(out + 3 * next, linePixels<3>(rows, table, each));
            }
        }
    }
}

// Pixel k: the pixel of cell k of `low` (k < 4) or k - 4 of `high`, or of cell 7 - k when Reversed.
template <bool Reversed, size_t... Lane>
[[gnu::always_inline]] inline uint16x8_t eightPixels(uint32x4_t low, uint32x4_t high, const uint16_t* table,
                                                     std::index_sequence<Lane...>) {
    uint16x8_t pixels = vdupq_n_u16(0);
    ((pixels = vsetq_lane_u16(table[vgetq_lane_u32(Lane < 4 ? low : high, int(Lane % 4))], pixels,
                              int(Reversed ? 7 - Lane : Lane))),
     ...);
    return pixels;
}

// The straight and reversed copies, sixteen cells a step: cell k to pixel k of the region, or to
// pixel 76799 - k.
template <bool Reversed>
void copy(uint32_t* cells, uint16_t* region, const uint16_t* table) {
    const uint32x4_t mask = vdupq_n_u32(kColourMask);
    const uint32x4_t cleared = vdupq_n_u32(kClearFar);
    const auto store = [region](ptrdiff_t k, uint16x8_t pixels) {  // cells k..k + 7
        vst1q_u16(region + (Reversed ? kBufferCells - 8 - k : k), pixels);
    };
    for (ptrdiff_t k = 0; k < kBufferCells; k += 16) {
        const uint32x4_t c0 = load(cells + k, cleared);
        const uint32x4_t c1 = load(cells + k + 4, cleared);
        const uint32x4_t c2 = load(cells + k + 8, cleared);
        const uint32x4_t c3 = load(cells + k + 12, cleared);
        if (oneCell(c0, c1, c2, c3)) {
            const uint16x8_t pixels = vdupq_n_u16(pixelOfFirst(c0, table));
            store(k, pixels);
            store(k + 8, pixels);
        } else {
            const auto each = std::make_index_sequence<8>{};
            store(k, eightPixels<Reversed>(vandq_u32(c0, mask), vandq_u32(c1, mask), table, each));
            store(k + 8, eightPixels<Reversed>(vandq_u32(c2, mask), vandq_u32(c3, mask), table, each));
        }
    }
}

}  // namespace veloxia::present_vector

#else
#define VX_PRESENT_NEON 0
#endif
