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
// The counter-clockwise rotation in plain C++, the reference of the vector one presentGeneric
// runs where the processor has it: `lastLine` is the first pixel of portrait line 319.
void rotateCopyCounterClockwisePlain(uint32_t* source, uint16_t* lastLine, const uint16_t* table);
}  // namespace veloxia
