// SPDX-License-Identifier: MIT
// The present routines: FrameBuffer through ShadeLut into RGB565 display memory, clearing every
// cell in the same pass.
//
// Each routine touches every cell once: read the colour, write the cleared value back, look the
// colour up, and store two pixels with one 32-bit store. Stores go through memcpy because display
// memory is only 2-byte aligned (the direct region starts 638 bytes before the Game API pointer,
// so the two can never both be word aligned). A colour is taken modulo 16384, so a cell with a
// stray bit above the ColorIndex can never read outside ShadeLut.
#include <bit>
#include <cstddef>
#include <cstring>
#include <utility>

#include <veloxia/display.h>

#include "display/display_memory.h"

// SSE2 is part of every x86-64 processor; elsewhere the plain loops run.
#if defined(__SSE2__) && !defined(VX_PRESENT_PLAIN)
#include <emmintrin.h>
#define VX_PRESENT_SSE2 1
#else
#define VX_PRESENT_SSE2 0
#endif

namespace veloxia {
namespace {

constexpr uint32_t kClearFar = 0x20000000;   // colour 0 at depth 8192
constexpr uint32_t kClearNear = 0x10000000;  // colour 0 at depth 4096 (generic, counter-clockwise)
constexpr uint32_t kColourMask = 0x3FFF;
constexpr ptrdiff_t kPortraitLine = kScreenWidth * 2;   // bytes of a 240-pixel line
constexpr int kCopyStepCells = 12;                      // cells per step of the straight copies
constexpr ptrdiff_t kCopyStepBytes = kCopyStepCells * 2;
constexpr ptrdiff_t kDisplayBytes = kBufferCells * 2;

// Reads a cell's colour as RGB565 and clears the cell.
inline uint32_t take(uint32_t& cell, uint32_t cleared, const uint16_t* table) {
    const uint32_t colour = cell & kColourMask;
    cell = cleared;
    return table[colour];
}

// One 32-bit store of two pixels: `lower` at the lower address.
inline void storePair(unsigned char* at, uint32_t lower, uint32_t higher) {
    const uint32_t word = std::endian::native == std::endian::little ? lower | higher << 16 : higher | lower << 16;
    std::memcpy(at, &word, sizeof word);
}

unsigned char* bytes(uint16_t* pixels) { return reinterpret_cast<unsigned char*>(pixels); }

// The counter-clockwise walk: cell (fx, fy) to portrait pixel (fy, 319 - fx). `lastLine` is the
// first byte of screen line 319; each store goes one line further up. This plain loop is the
// reference the vector one below is tested against.
void rotateCounterClockwisePlain(uint32_t* source, unsigned char* lastLine, const uint16_t* table) {
    for (int y = 0; y < kBufferHeight; y += 2) {
        uint32_t* even = source + y * kBufferWidth;
        uint32_t* odd = even + kBufferWidth;
        ptrdiff_t at = (y / 2) * 4;  // byte offset from lastLine; moves up a line per cell
        for (int x = 0; x < kBufferWidth; x += 4) {
            storePair(lastLine + at, take(even[x], kClearNear, table), take(odd[x], kClearNear, table));
            storePair(lastLine + at - kPortraitLine, take(even[x + 1], kClearNear, table),
                      take(odd[x + 1], kClearNear, table));
            storePair(lastLine + at - 2 * kPortraitLine, take(even[x + 2], kClearNear, table),
                      take(odd[x + 2], kClearNear, table));
            storePair(lastLine + at - 3 * kPortraitLine, take(even[x + 3], kClearNear, table),
                      take(odd[x + 3], kClearNear, table));
            at -= 4 * kPortraitLine;
        }
    }
}

#if VX_PRESENT_SSE2
// Looks up the eight colours in the words of `colours` into the same words of the result.
[[gnu::always_inline]] inline __m128i lookUp(__m128i colours, const uint16_t* table) {
    __m128i pixels = _mm_setzero_si128();
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 0)], 0);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 1)], 1);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 2)], 2);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 3)], 3);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 4)], 4);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 5)], 5);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 6)], 6);
    pixels = _mm_insert_epi16(pixels, table[_mm_extract_epi16(colours, 7)], 7);
    return pixels;
}

// The same walk, four cells of four rows a step: one load, mask and clearing store per four
// cells; the colours of cell x of the four rows are gathered into one 64-bit half, looked up in
// place, and each half stored as the four pixels of one screen line.
void rotateCounterClockwiseSse2(uint32_t* source, unsigned char* lastLine, const uint16_t* table) {
    const __m128i mask = _mm_set1_epi32(kColourMask);
    const __m128i cleared = _mm_set1_epi32(int(kClearNear));
    for (int y = 0; y < kBufferHeight; y += 4) {
        uint32_t* row = source + y * kBufferWidth;
        unsigned char* out = lastLine + y * 2;
        for (int x = 0; x < kBufferWidth; x += 4) {
            auto* r0 = reinterpret_cast<__m128i*>(row + x);
            auto* r1 = reinterpret_cast<__m128i*>(row + kBufferWidth + x);
            auto* r2 = reinterpret_cast<__m128i*>(row + 2 * kBufferWidth + x);
            auto* r3 = reinterpret_cast<__m128i*>(row + 3 * kBufferWidth + x);
            const __m128i c0 = _mm_and_si128(_mm_loadu_si128(r0), mask);
            const __m128i c1 = _mm_and_si128(_mm_loadu_si128(r1), mask);
            const __m128i c2 = _mm_and_si128(_mm_loadu_si128(r2), mask);
            const __m128i c3 = _mm_and_si128(_mm_loadu_si128(r3), mask);
            _mm_storeu_si128(r0, cleared);
            _mm_storeu_si128(r1, cleared);
            _mm_storeu_si128(r2, cleared);
            _mm_storeu_si128(r3, cleared);
            // Lane k of `upper`: rows 0 and 1 of cell x + k; of `lower`: rows 2 and 3.
            const __m128i upper = _mm_or_si128(c0, _mm_slli_epi32(c1, 16));
            const __m128i lower = _mm_or_si128(c2, _mm_slli_epi32(c3, 16));
            // Each 64-bit half: the four rows of one cell, in row order, as one line needs them.
            const __m128i first = lookUp(_mm_unpacklo_epi32(upper, lower), table);   // cells x, x + 1
            const __m128i second = lookUp(_mm_unpackhi_epi32(upper, lower), table);  // cells x + 2, x + 3
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), first);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out - kPortraitLine), _mm_unpackhi_epi64(first, first));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out - 2 * kPortraitLine), second);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out - 3 * kPortraitLine), _mm_unpackhi_epi64(second, second));
            out -= 4 * kPortraitLine;
        }
    }
}
#endif

void rotateCounterClockwise(uint32_t* source, unsigned char* lastLine, const uint16_t* table) {
#if VX_PRESENT_SSE2
    rotateCounterClockwiseSse2(source, lastLine, table);
#else
    rotateCounterClockwisePlain(source, lastLine, table);
#endif
}

// The clockwise walk: cell (fx, fy) to portrait pixel (239 - fy, fx), four cells a step like the
// counter-clockwise one. Each store goes one line further down.
void rotateClockwise(uint32_t* source, unsigned char* display, const uint16_t* table) {
    for (int y = 0; y < kBufferHeight; y += 2) {
        uint32_t* even = source + y * kBufferWidth;
        uint32_t* odd = even + kBufferWidth;
        ptrdiff_t at = (kScreenWidth - 2 - y) * 2;  // byte offset of pixels 238 - y, 239 - y of line 0
        for (int x = 0; x < kBufferWidth; x += 4) {
            storePair(display + at, take(odd[x], kClearFar, table), take(even[x], kClearFar, table));
            storePair(display + at + kPortraitLine, take(odd[x + 1], kClearFar, table),
                      take(even[x + 1], kClearFar, table));
            storePair(display + at + 2 * kPortraitLine, take(odd[x + 2], kClearFar, table),
                      take(even[x + 2], kClearFar, table));
            storePair(display + at + 3 * kPortraitLine, take(odd[x + 3], kClearFar, table),
                      take(even[x + 3], kClearFar, table));
            at += 4 * kPortraitLine;
        }
    }
}

// Six words of one step of a straight copy: cells k, k+1 to pixels k, k+1.
template <size_t... Word>
inline void straightStep(uint32_t* cells, unsigned char* out, const uint16_t* table, std::index_sequence<Word...>) {
    ((storePair(out + 4 * Word, take(cells[2 * Word], kClearFar, table), take(cells[2 * Word + 1], kClearFar, table))),
     ...);
}

// Six words of one step of a reversed copy: cells k, k+1 to the pixels 11 - 2w, 10 - 2w of `out`.
template <size_t... Word>
inline void reversedStep(uint32_t* cells, unsigned char* out, const uint16_t* table, std::index_sequence<Word...>) {
    ((storePair(out + 20 - 4 * Word, take(cells[2 * Word + 1], kClearFar, table),
                take(cells[2 * Word], kClearFar, table))),
     ...);
}

// Cell k to pixel k of the region.
void straightCopy(unsigned char* region, const uint16_t* table) {
    uint32_t* cells = FrameBuffer;
    for (ptrdiff_t at = 0; at < kDisplayBytes; at += kCopyStepBytes, cells += kCopyStepCells) {
        straightStep(cells, region + at, table, std::make_index_sequence<kCopyStepCells / 2>{});
    }
}

// Cell k to pixel 76799 - k of the region.
void reversedCopy(unsigned char* region, const uint16_t* table) {
    uint32_t* cells = FrameBuffer;
    for (ptrdiff_t at = kDisplayBytes - kCopyStepBytes; at >= 0; at -= kCopyStepBytes, cells += kCopyStepCells) {
        reversedStep(cells, region + at, table, std::make_index_sequence<kCopyStepCells / 2>{});
    }
}

}  // namespace

void rotateCopyCounterClockwisePlain(uint32_t* source, uint16_t* lastLine, const uint16_t* table) {
    rotateCounterClockwisePlain(source, bytes(lastLine), table);
}

void rotateCopyCounterClockwise(uint32_t* source, uint32_t* destination, const uint16_t* table) {
    rotateCounterClockwise(source, reinterpret_cast<unsigned char*>(destination), table);
}

int presentGeneric() {
    const bool clockwise = renderContext.presentRotation != 0;
    uint16_t* display = GXBeginDraw();
    if (clockwise) {
        rotateClockwise(FrameBuffer, bytes(display), ShadeLut);
    } else {
        rotateCounterClockwise(FrameBuffer, bytes(display + (kScreenHeight - 1) * kScreenWidth), ShadeLut);
    }
    recordPresent(DisplayLayout::portrait, display);
    return GXEndDraw();
}

int presentDirect() {
    const bool reversed = renderContext.presentRotation != 0;
    uint16_t* region = GXBeginDraw() - (kBufferWidth - 1);  // 638 bytes before the pointer
    if (reversed) {
        reversedCopy(bytes(region), ShadeLut);
    } else {
        straightCopy(bytes(region), ShadeLut);
    }
    recordPresent(DisplayLayout::direct, region);
    return GXEndDraw();
}

// The fixed-address display is mounted the other way round: its senses are exchanged.
int presentFixedAddress() {
    const bool straight = renderContext.presentRotation != 0;
    uint16_t* region = fixedAddressRegion();
    if (straight) {
        straightCopy(bytes(region), ShadeLut);
    } else {
        reversedCopy(bytes(region), ShadeLut);
    }
    recordPresent(DisplayLayout::fixedAddress, region);
    return 0;
}

}  // namespace veloxia
