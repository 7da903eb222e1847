// SPDX-License-Identifier: MIT
// Cutting an OBJ polygon into triangles.
//
// The polygon is projected onto the coordinate plane nearest its own (by the Newell normal) and
// cut by ear clipping, so concave outlines come out as they are drawn, not as a fan over their
// dents. n corners give n - 2 triangles, each wound as the polygon is.
#pragma once

#include <array>
#include <optional>
#include <vector>

namespace vxpack {

// Triangles as triples of indices into `corners`, or nothing when the polygon has no area
// (all corners on one line or one point).
std::optional<std::vector<std::array<int, 3>>> triangulatePolygon(const std::vector<std::array<double, 3>>& corners);

}  // namespace vxpack
