// SPDX-License-Identifier: MIT
// What the present routines record for readDisplayPortrait: which layout was written last, and
// where. Private to the display subsystem.
#pragma once

#include <cstdint>

namespace veloxia {

enum class DisplayLayout {
    none,          // nothing presented yet
    portrait,      // presentGeneric: 320 lines of 240 pixels from the Game API pointer
    direct,        // presentDirect: 240 lines of 320 pixels from 319 pixels before the pointer
    fixedAddress,  // presentFixedAddress: 240 lines of 320 pixels, mirrored against direct
};

struct LastPresent {
    DisplayLayout layout = DisplayLayout::none;
    uint16_t* memory = nullptr;  // first pixel of the layout: the pointer, or the region start
};

void recordPresent(DisplayLayout layout, uint16_t* memory);
uint16_t* fixedAddressRegion();  // the region presentFixedAddress writes, from the display host

}  // namespace veloxia

namespace veloxia {
// The present routines' plain loops, the reference of the vector loops the routines run where the
// processor has them. Each reads `source` (a FrameBuffer) through `table` and clears it.
// Counter-clockwise rotation: `lastLine` is the first pixel of portrait line 319.
void rotateCopyCounterClockwisePlain(uint32_t* source, uint16_t* lastLine, const uint16_t* table);
// Clockwise rotation: `display` is the first pixel of portrait line 0.
void rotateCopyClockwisePlain(uint32_t* source, uint16_t* display, const uint16_t* table);
// Cell k to pixel k, or to pixel 76799 - k, of a 76800-pixel region.
void straightCopyPlain(uint32_t* source, uint16_t* region, const uint16_t* table);
void reversedCopyPlain(uint32_t* source, uint16_t* region, const uint16_t* table);
}  // namespace veloxia
