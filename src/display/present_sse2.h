// SPDX-License-Identifier: MIT
// The present loops with SSE2, which every x86-64 processor has. present.cpp includes this file;
// VX_PRESENT_SSE2 tells it whether the loops are here (not with VX_PRESENT_PLAIN).
//
// Each loop does the work of its plain loop, many cells a step: read the cells, store their
// cleared value, look each colour up in ShadeLut, store the pixels where the layout puts them.
// Where every cell of a step is the same, colour and depth (the cleared background, most of the
// screen), one lookup serves the whole step: the same pixels are stored, each of them still stored
// every frame. Comparing whole cells rather than colours spares four masks on that path,
// more than is lost on the few steps of one colour at several depths, which take the lookups.
#pragma once

#if defined(__SSE2__) && !defined(VX_PRESENT_PLAIN)
#define VX_PRESENT_SSE2 1

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "display/present_cells.h"

namespace veloxia::present_vector {

// True when every lane holds the first lane of `first`: one compare a vector.
template <class... Rest>
[[gnu::always_inline]] inline bool oneCell(__m128i first, Rest... rest) {
    const __m128i broadcast = _mm_shuffle_epi32(first, 0);
    __m128i same = _mm_cmpeq_epi32(first, broadcast);
    ((same = _mm_and_si128(same, _mm_cmpeq_epi32(rest, broadcast))), ...);
    return _mm_movemask_epi8(same) == 0xFFFF;
}

// The pixel of the first lane's cell, in all eight words.
[[gnu::always_inline]] inline __m128i pixelOfFirst(__m128i cells, const uint16_t* table) {
    return _mm_set1_epi16(static_cast<short>(table[uint32_t(_mm_cvtsi128_si32(cells)) & kColourMask]));
}

// Reads four cells and stores the cleared value in their place.
[[gnu::always_inline]] inline __m128i load(uint32_t* cells, __m128i cleared) {
    auto* at = reinterpret_cast<__m128i*>(cells);
    const __m128i read = _mm_loadu_si128(at);
    _mm_storeu_si128(at, cleared);
    return read;
}

// Four pixels from the low or the high half, to any 2-byte aligned place (movq, movhps).
[[gnu::always_inline]] inline void storeLow(uint16_t* at, __m128i pixels) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at), pixels);
}
[[gnu::always_inline]] inline void storeHigh(uint16_t* at, __m128i pixels) {
    _mm_storeh_pi(reinterpret_cast<__m64*>(at), _mm_castsi128_ps(pixels));
}

// Word 4j + k of the result: the pixel of cell Cell + j of row k (rows in line order), so each
// 64-bit half is one line's four pixels of one cell.
template <int Cell, size_t... Word>
[[gnu::always_inline]] inline __m128i linePixels(const __m128i (&rows)[4], const uint16_t* table,
                                                 std::index_sequence<Word...>) {
    __m128i pixels = _mm_setzero_si128();
    ((pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(rows[Word % 4], 2 * (Cell + int(Word / 4)))], Word)),
     ...);
    return pixels;
}

// The rotations, four cells of four rows a step. Cell x of the four rows is four pixels of one
// screen line, rows 0..3 counter-clockwise (cell (fx, fy) to portrait pixel (fy, 319 - fx),
// `firstLine` the first pixel of line 319, each cell a line further up) and rows 3..0 clockwise
// (to (239 - fy, fx), `firstLine` the first pixel of line 0, each cell a line further down).
template <bool Clockwise>
void rotate(uint32_t* source, uint16_t* firstLine, const uint16_t* table) {
    constexpr ptrdiff_t next = Clockwise ? kScreenWidth : -kScreenWidth;  // cell x's line to x + 1's
    const __m128i mask = _mm_set1_epi32(int32_t(kColourMask));
    const __m128i cleared = _mm_set1_epi32(int32_t(Clockwise ? kClearFar : kClearNear));
    for (int y = 0; y < kBufferHeight; y += 4) {
        uint32_t* const row = source + y * kBufferWidth;
        uint16_t* out = firstLine + (Clockwise ? kScreenWidth - 4 - y : y);
        for (int x = 0; x < kBufferWidth; x += 4, out += 4 * next) {
            uint32_t* const cells = row + x;
            const __m128i c0 = load(cells, cleared);
            const __m128i c1 = load(cells + kBufferWidth, cleared);
            const __m128i c2 = load(cells + 2 * kBufferWidth, cleared);
            const __m128i c3 = load(cells + 3 * kBufferWidth, cleared);
            if (oneCell(c0, c1, c2, c3)) {
                const __m128i pixels = pixelOfFirst(c0, table);
                storeLow(out, pixels);
                storeLow(out + next, pixels);
                storeLow(out + 2 * next, pixels);
                storeLow(out + 3 * next, pixels);
            } else {
                const __m128i rows[4] = {_mm_and_si128(Clockwise ? c3 : c0, mask), _mm_and_si128(Clockwise ? c2 : c1, mask),
                                         _mm_and_si128(Clockwise ? c1 : c2, mask), _mm_and_si128(Clockwise ? c0 : c3, mask)};
                const __m128i near = linePixels<0>(rows, table, std::make_index_sequence<8>{});  // cells x, x + 1
                const __m128i far = linePixels<2>(rows, table, std::make_index_sequence<8>{});   // x + 2, x + 3
                storeLow(out, near);
                storeHigh(out + next, near);
                storeLow(out + 2 * next, far);
                storeHigh(out + 3 * next, far);
            }
        }
    }
}

// Word k of the result: the pixel of cell k of `low` (k < 4) or k - 4 of `high`, or of cell 7 - k
// when Reversed.
template <bool Reversed, size_t... Word>
[[gnu::always_inline]] inline __m128i eightPixels(__m128i low, __m128i high, const uint16_t* table,
                                                  std::index_sequence<Word...>) {
    __m128i pixels = _mm_setzero_si128();
    ((pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(Word < 4 ? low : high, 2 * int(Word % 4))],
                                Reversed ? 7 - Word : Word)),
     ...);
    return pixels;
}

// The straight and reversed copies, sixteen cells a step: cell k to pixel k of the region, or to
// pixel 76799 - k.
template <bool Reversed>
void copy(uint32_t* cells, uint16_t* region, const uint16_t* table) {
    const __m128i mask = _mm_set1_epi32(int32_t(kColourMask));
    const __m128i cleared = _mm_set1_epi32(int32_t(kClearFar));
    const auto store = [region](ptrdiff_t k, __m128i pixels) {  // cells k..k + 7
        _mm_storeu_si128(reinterpret_cast<__m128i*>(region + (Reversed ? kBufferCells - 8 - k : k)), pixels);
    };
    for (ptrdiff_t k = 0; k < kBufferCells; k += 16) {
        const __m128i c0 = load(cells + k, cleared);
        const __m128i c1 = load(cells + k + 4, cleared);
        const __m128i c2 = load(cells + k + 8, cleared);
        const __m128i c3 = load(cells + k + 12, cleared);
        if (oneCell(c0, c1, c2, c3)) {
            const __m128i pixels = pixelOfFirst(c0, table);
            store(k, pixels);
            store(k + 8, pixels);
        } else {
            const auto each = std::make_index_sequence<8>{};
            store(k, eightPixels<Reversed>(_mm_and_si128(c0, mask), _mm_and_si128(c1, mask), table, each));
            store(k + 8, eightPixels<Reversed>(_mm_and_si128(c2, mask), _mm_and_si128(c3, mask), table, each));
        }
    }
}

}  // namespace veloxia::present_vector

#else
#define VX_PRESENT_SSE2 0
#endif
