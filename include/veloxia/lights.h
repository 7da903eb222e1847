// SPDX-License-Identifier: MIT
// Point lights and vertex light effects.
//
// Lighting is additive: lightSum's result is added to a vertex's base level before the shade
// slot clamps it to 1..31. Lights are summed during the transform only while lightCount is
// non-zero (initEngine sets it to 0). Invalid radii or strengths make the operations do nothing.
//
// Light types: 0 is off, 1 a wrap light, 2 a facing light; every other type contributes
// nothing anywhere. (Points within 32 units of a light get its attenuated intensity without a
// direction term, but only from a wrap or a facing light.)
#pragma once

#include <cstdint>
#include <memory>

#include "types.h"

namespace veloxia {

struct PointLight {
    int16_t x, y, z;    // position, in the space of the positions passed to lightSum
    uint32_t type;      // 0 off, 1 wrap light, 2 facing light; any other value contributes nothing
    int32_t intensity;  // 0..1023
    int32_t radius;     // 16..4095
    uint32_t radius2;   // radius * radius
    uint32_t falloff;   // attenuation factor precomputed by setLight
};

inline constexpr int kMaxLights = 16;
extern PointLight lightTable[kMaxLights];
extern int32_t lightCount;  // how many leading lights lightSum visits

void setLight(PointLight* l, uint32_t type, int32_t intensity, int32_t radius);
void setLightCount(int32_t count);  // limited to 0..16; non-zero turns lighting on in the transforms
int32_t lightSum(const int16_t position[3], const int16_t normal[3]);

// A pulsing, optionally flickering glow baked into the light levels of the vertices it reaches.
struct VertexLightEffect {
    int16_t x, y, z;        // position, in the model space of the objects it lights
    uint32_t flicker;       // non-zero: random flicker on
    int32_t flickerPeriod;  // base number of updates between flicker events
    int32_t phaseStep;      // phase advance per update (2048 = one cycle)
    int32_t flickerJump;    // scale of the random phase jump
    int32_t intensity;      // steady part of the contribution
    std::unique_ptr<MeshVertex*[]> vertices;  // the affected vertices
    int32_t count;
    std::unique_ptr<uint8_t[]> weights;       // per-vertex weight 3..255
    int32_t countdown;
    int32_t phase;          // 0..2047, index into CosLut
    int32_t amplitude;      // 0..1023
    int32_t randomIndex;    // 0..255, position in RandomBytes
};

int32_t vertexLightContribution(const VertexLightEffect* e, const MeshVertex* v, uint32_t type);
int32_t createVertexLightEffect(VertexLightEffect* e, int32_t intensity, int32_t radius, int32_t amplitude,
                                uint32_t type, SceneObject* objects, int32_t objectCount);  // returns count
void updateVertexLightEffect(VertexLightEffect* e);  // once per frame
void removeVertexLightEffect(VertexLightEffect* e);  // restores the levels and releases the arrays
void darkenVertices(const int16_t centre[3], int32_t strength, int32_t radius,
                    SceneObject* objects, int32_t objectCount);

}  // namespace veloxia
