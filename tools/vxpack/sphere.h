// SPDX-License-Identifier: MIT
// A test sphere for the scaling measurements: a latitude-longitude sphere of a chosen number
// of triangles under the benchmark object's name, so the benchmark's loader and running screen
// take it as they take the Sat.
//
// With s stacks and 2s slices the sphere has 4s(s - 1) triangles (a fan of 2s at each pole,
// two per quad between); s is the stack count whose total is nearest the request (ties go
// up), from 3 stacks (24 triangles) to 120 (57120). One opaque, back-face culled 64x64
// checker texture wraps 8 times around and 4 times from pole to pole; a light from the upper
// front is baked into the vertex light levels (ambient 8). Faces run counter-clockwise seen from
// outside, as the engine's front faces do.
#pragma once

#include <cstdint>
#include <string>

#include "pack.h"

namespace vxpack {

inline constexpr int32_t kMinSphereTriangles = 24;
inline constexpr int32_t kMaxSphereTriangles = 57120;

struct SphereOptions {
    int32_t triangles = 2000;  // about this many; see sphereStacks
    int32_t radius = 90;       // engine units, 8..kBenchObjectMaxRadius
    std::string name = "Sat";
};

int32_t sphereStacks(int32_t triangles);  // the stack count s nearest the request
PackResult makeSphere(const SphereOptions& options);  // throws PackError on a bad option

}  // namespace vxpack
