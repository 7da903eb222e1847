// SPDX-License-Identifier: MIT
// A small object built in memory for whole-chain pictures: a cube of textured faces (opaque and
// culled, colour-keyed, blended) with a blended fin through its middle, so that a frame exercises
// culling, every row order, the fillers' draw modes and the face queue. Independent of the data
// files.
#pragma once

#include <veloxia/veloxia.h>

namespace vxtest {

class ProbeObject {
public:
    ProbeObject();
    ProbeObject(const ProbeObject&) = delete;
    ProbeObject& operator=(const ProbeObject&) = delete;

    veloxia::SceneObject object;

private:
    veloxia::Texture textures[3];  // opaque culled, colour-keyed culled, blended
    uint16_t texels[3][32 * 32];
};

}  // namespace vxtest
