// SPDX-License-Identifier: MIT
// The present routines: FrameBuffer through ShadeLut into RGB565 display memory, clearing every
// cell in the same pass.
//
// Each routine touches every cell once: read the colour, write the cleared value back, look the
// colour up in ShadeLut, store the pixel. The plain loops here store two pixels with one 32-bit
// store, through memcpy because display memory is only 2-byte aligned (the direct region starts
// 638 bytes before the Game API pointer, so the two can never both be word aligned); the vector
// loops (present_sse2.h, present_neon.h) store four or eight.
#include <bit>
#include <cstddef>
#include <cstring>
#include <utility>

#include <veloxia/display.h>

#include "display/display_memory.h"
#include "display/present_cells.h"

// The vector loops where the processor has them (SSE2 on x86-64, NEON on aarch64); elsewhere,
// or with VX_PRESENT_PLAIN, the plain loops below run.
#include "display/present_neon.h"
#include "display/present_sse2.h"
#define VX_PRESENT_VECTOR (VX_PRESENT_SSE2 || VX_PRESENT_NEON)

namespace veloxia {
namespace {

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

}  // namespace

// The plain loops: the reference every vector loop is tested against, and what runs where the
// processor has none.

// The counter-clockwise walk: cell (fx, fy) to portrait pixel (fy, 319 - fx). `lastLine` is the
// first pixel of screen line 319; each store goes one line further up.
void rotateCopyCounterClockwisePlain(uint32_t* source, uint16_t* lastLine, const uint16_t* table) {
    unsigned char* const last = bytes(lastLine);
    for (int y = 0; y < kBufferHeight; y += 2) {
        uint32_t* even = source + y * kBufferWidth;
        uint32_t* odd = even + kBufferWidth;
        ptrdiff_t at = (y / 2) * 4;  // byte offset from lastLine; moves up a line per cell
        for (int x = 0; x < kBufferWidth; x += 4) {
            storePair(last + at, take(even[x], kClearNear, table), take(odd[x], kClearNear, table));
            storePair(last + at - kPortraitLine, take(even[x + 1], kClearNear, table),
                      take(odd[x + 1], kClearNear, table));
            storePair(last + at - 2 * kPortraitLine, take(even[x + 2], kClearNear, table),
                      take(odd[x + 2], kClearNear, table));
            storePair(last + at - 3 * kPortraitLine, take(even[x + 3], kClearNear, table),
                      take(odd[x + 3], kClearNear, table));
            at -= 4 * kPortraitLine;
        }
    }
}

// The clockwise walk: cell (fx, fy) to portrait pixel (239 - fy, fx), four cells a step like the
// counter-clockwise one. Each store goes one line further down.
void rotateCopyClockwisePlain(uint32_t* source, uint16_t* display, const uint16_t* table) {
    unsigned char* const first = bytes(display);
    for (int y = 0; y < kBufferHeight; y += 2) {
        uint32_t* even = source + y * kBufferWidth;
        uint32_t* odd = even + kBufferWidth;
        ptrdiff_t at = (kScreenWidth - 2 - y) * 2;  // byte offset of pixels 238 - y, 239 - y of line 0
        for (int x = 0; x < kBufferWidth; x += 4) {
            storePair(first + at, take(odd[x], kClearFar, table), take(even[x], kClearFar, table));
            storePair(first + at + kPortraitLine, take(odd[x + 1], kClearFar, table),
                      take(even[x + 1], kClearFar, table));
            storePair(first + at + 2 * kPortraitLine, take(odd[x + 2], kClearFar, table),
                      take(even[x + 2], kClearFar, table));
            storePair(first + at + 3 * kPortraitLine, take(odd[x + 3], kClearFar, table),
                      take(even[x + 3], kClearFar, table));
            at += 4 * kPortraitLine;
        }
    }
}

namespace {

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

}  // namespace

// Cell k to pixel k of the region.
void straightCopyPlain(uint32_t* source, uint16_t* region, const uint16_t* table) {
    uint32_t* cells = source;
    for (ptrdiff_t at = 0; at < kDisplayBytes; at += kCopyStepBytes, cells += kCopyStepCells) {
        straightStep(cells, bytes(region) + at, table, std::make_index_sequence<kCopyStepCells / 2>{});
    }
}

// Cell k to pixel 76799 - k of the region.
void reversedCopyPlain(uint32_t* source, uint16_t* region, const uint16_t* table) {
    uint32_t* cells = source;
    for (ptrdiff_t at = kDisplayBytes - kCopyStepBytes; at >= 0; at -= kCopyStepBytes, cells += kCopyStepCells) {
        reversedStep(cells, bytes(region) + at, table, std::make_index_sequence<kCopyStepCells / 2>{});
    }
}

namespace {

void rotateCounterClockwise(uint32_t* source, uint16_t* lastLine, const uint16_t* table) {
#if VX_PRESENT_VECTOR
    present_vector::rotate<false>(source, lastLine, table);
#else
    rotateCopyCounterClockwisePlain(source, lastLine, table);
#endif
}

void rotateClockwise(uint32_t* source, uint16_t* display, const uint16_t* table) {
#if VX_PRESENT_VECTOR
    present_vector::rotate<true>(source, display, table);
#else
    rotateCopyClockwisePlain(source, display, table);
#endif
}

void straightCopy(uint16_t* region) {
#if VX_PRESENT_VECTOR
    present_vector::copy<false>(FrameBuffer, region, ShadeLut);
#else
    straightCopyPlain(FrameBuffer, region, ShadeLut);
#endif
}

void reversedCopy(uint16_t* region) {
#if VX_PRESENT_VECTOR
    present_vector::copy<true>(FrameBuffer, region, ShadeLut);
#else
    reversedCopyPlain(FrameBuffer, region, ShadeLut);
#endif
}

}  // namespace

void rotateCopyCounterClockwise(uint32_t* source, uint32_t* destination, const uint16_t* table) {
    rotateCounterClockwise(source, reinterpret_cast<uint16_t*>(destination), table);
}

int presentGeneric() {
    const bool clockwise = renderContext.presentRotation != 0;
    uint16_t* display = GXBeginDraw();
    if (clockwise) {
        rotateClockwise(FrameBuffer, display, ShadeLut);
    } else {
        rotateCounterClockwise(FrameBuffer, display + (kScreenHeight - 1) * kScreenWidth, ShadeLut);
    }
    recordPresent(DisplayLayout::portrait, display);
    return GXEndDraw();
}

int presentDirect() {
    const bool reversed = renderContext.presentRotation != 0;
    uint16_t* region = GXBeginDraw() - (kBufferWidth - 1);  // 638 bytes before the pointer
    if (reversed) {
        reversedCopy(region);
    } else {
        straightCopy(region);
    }
    recordPresent(DisplayLayout::direct, region);
    return GXEndDraw();
}

// The fixed-address display is mounted the other way round: its senses are exchanged.
int presentFixedAddress() {
    const bool straight = renderContext.presentRotation != 0;
    uint16_t* region = fixedAddressRegion();
    if (straight) {
        straightCopy(region);
    } else {
        reversedCopy(region);
    }
    recordPresent(DisplayLayout::fixedAddress, region);
    return 0;
}

}  // namespace veloxia
