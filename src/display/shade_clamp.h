// SPDX-License-Identifier: MIT
// The clamp of the default shade function, inline so that the vertex stage can apply it without
// a call when the shade slot holds shadeClamp.
#pragma once

#include <cstdint>

namespace veloxia {

// The light level kept to 1..31, returned as its low 16 bits.
inline int16_t clampShadeLevel(int level) { return int16_t(level >= 32 ? 31 : level < 1 ? 1 : level); }

}  // namespace veloxia
