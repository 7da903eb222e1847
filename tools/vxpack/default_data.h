// SPDX-License-Identifier: MIT
// The default benchmark data: the recipe that turns assets/sat into veloxia3dbench1 and
// veloxia3dbench2.
#pragma once

#include <filesystem>

#include "pack.h"

namespace vxpack {

inline constexpr const char* kSceneFileName = "veloxia3dbench1";
inline constexpr const char* kTextureFileName = "veloxia3dbench2";
inline constexpr const char* kBenchObjectName = "Sat";
// The running screen turns the object 350 units in front of the eye and the pipeline rejects
// every vertex nearer than 65: the benchmark object must stay inside this radius of its pivot.
inline constexpr int kBenchObjectMaxRadius = 280;

PackOptions defaultDataOptions(const std::filesystem::path& assets);
PackResult buildDefaultData(const std::filesystem::path& assets);  // also checks the Sat's radius
// Largest distance of a vertex from the object's pivot (its stored translation), rounded up.
int32_t radiusAboutPivot(const PackObject& object);

}  // namespace vxpack
