// SPDX-License-Identifier: MIT
// The working buffer every filler writes and the present step reads and clears.
#include <veloxia/display.h>

namespace veloxia {

// 320 x 240 cells, row-major: depth in bits 31..16 (larger is farther), ColorIndex in 15..0.
// All zero before the first frame; each present leaves it cleared for the next.
alignas(64) uint32_t FrameBuffer[kBufferCells];

}  // namespace veloxia
