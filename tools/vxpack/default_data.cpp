// SPDX-License-Identifier: MIT
#include "default_data.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace vxpack {

PackOptions defaultDataOptions(const std::filesystem::path& assets) {
    PackOptions options;
    options.inputs = {assets / "sat.obj"};
    // The benchmark runs without point lights, so the shape is carried by a sun baked into the
    // base light levels: faces towards the upper left at full level, faces turned away at 14.
    options.light = 31;
    options.bakeSun = true;
    options.sun = {-0.45, 0.6, 0.66};
    options.ambient = 14;
    return options;
}

int32_t radiusAboutPivot(const PackObject& object) {
    int64_t largest = 0;
    for (const auto& v : object.vertices) {
        const int64_t dx = v.x - object.matrix[9], dy = v.y - object.matrix[10], dz = v.z - object.matrix[11];
        largest = std::max(largest, dx * dx + dy * dy + dz * dz);
    }
    int32_t radius = 0;
    while (static_cast<int64_t>(radius) * radius < largest) ++radius;
    return radius;
}

PackResult buildDefaultData(const std::filesystem::path& assets) {
    PackResult result = packModels(defaultDataOptions(assets));
    const PackObject* sat = nullptr;
    for (const auto& object : result.scene.objects)
        if (object.name == kBenchObjectName && sat == nullptr) sat = &object;
    if (sat == nullptr) throw PackError(assets.string() + " holds no object named \"" + kBenchObjectName + "\"");
    const int32_t radius = radiusAboutPivot(*sat);
    if (radius >= kBenchObjectMaxRadius)
        throw PackError("the Sat reaches " + std::to_string(radius) + " units from its pivot; beyond " +
                        std::to_string(kBenchObjectMaxRadius - 1) + " it crosses the near plane on the running screen");
    return result;
}

}  // namespace vxpack
