// SPDX-License-Identifier: MIT
// A plain, slow model of the triangle fillers for comparison with the fast ones.
//
// It evaluates every edge and span value in closed form (start + step * count) instead of
// stepping, tests the filler kind and draw mode at every pixel, and accepts only what the
// pipeline delivers: corners sorted by row, spans at most 8191 columns wide, and for the
// perspective filler vertex depths 33..8191.
#pragma once

#include <veloxia/veloxia.h>

namespace vxtest {

enum class FillerKind { Affine, Perspective, Flat };

void referenceFill(FillerKind kind, const veloxia::ProjectedVertex& a, int ua, int va,
                   const veloxia::ProjectedVertex& b, int ub, int vb, const veloxia::ProjectedVertex& c,
                   int uc, int vc, const veloxia::Texture& texture);

}  // namespace vxtest
