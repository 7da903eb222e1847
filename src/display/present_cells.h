// SPDX-License-Identifier: MIT
// What every present loop shares: the cleared values, the colour mask and the portrait line.
// Private to the display subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

#include <veloxia/display.h>

namespace veloxia {

inline constexpr uint32_t kClearFar = 0x20000000;   // colour 0 at depth 8192
inline constexpr uint32_t kClearNear = 0x10000000;  // colour 0 at depth 4096 (generic, counter-clockwise)
// A colour is taken modulo 16384, so a cell with a stray bit above the ColorIndex can never read
// outside ShadeLut.
inline constexpr uint32_t kColourMask = 0x3FFF;
inline constexpr ptrdiff_t kPortraitLine = kScreenWidth * 2;  // bytes of a 240-pixel line

}  // namespace veloxia
