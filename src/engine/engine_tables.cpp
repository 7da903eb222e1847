// SPDX-License-Identifier: MIT
// The projection table and the random bytes: engine tables that subsystems link without
// pulling in engine initialisation.
#include <veloxia/engine.h>

#include <cstdint>

#include "engine/wrap.h"

namespace veloxia {

// ProjectionLut: 8704 int32; entry d = round(scale * 65536 / d), a 16.16 screen scale for a
// point at depth d (entry 0 = 0). A screen offset is (coordinate * entry) >> 16.
int32_t ProjectionLut[kProjectionLutSize];

// RandomBytes: 256 int8 from the runtime's rand, read by the vertex light effects.
int8_t RandomBytes[256];

// All in single precision, as the projection has always been built. The scale is taken to
// 32 bits before it becomes a float, so every entry fits an int32 whatever the argument.
void buildProjectionTable(RenderContext*, int scale) {
    const float s = float(wrapMul(scale, 65536));
    ProjectionLut[0] = 0;
    for (int d = 1; d < kProjectionLutSize; ++d) ProjectionLut[d] = int32_t(s / float(d) + 0.5f);
}

}  // namespace veloxia
