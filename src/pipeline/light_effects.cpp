// SPDX-License-Identifier: MIT
// Vertex light effects: a light's contribution baked into the light levels of the vertices it
// reaches and animated per update, and a one-shot darkening around a point.
#include <veloxia/engine.h>
#include <veloxia/fixedmath.h>
#include <veloxia/lights.h>

#include <algorithm>
#include <cmath>

#include "engine/wrap.h"

namespace veloxia {
namespace {

bool takesPart(const SceneObject& o) { return o.worldMember != 0 && o.vertexCount > 0 && o.vertices; }

// 32-bit dot product of a vertex normal with a difference vector.
int32_t dotNormal(const MeshVertex& v, int32_t dx, int32_t dy, int32_t dz) {
    return wrapAdd(wrapAdd(wrapMul(v.nx, dx), wrapMul(v.ny, dy)), wrapMul(v.nz, dz));
}

// Calls f(vertex) for every vertex of every object that takes part, in array order.
template <typename F>
void forEachVertex(SceneObject* objects, int32_t objectCount, F f) {
    for (int32_t i = 0; i < objectCount; ++i) {
        SceneObject& o = objects[i];
        if (!takesPart(o)) continue;
        for (int32_t k = 0; k < o.vertexCount; ++k) f(o.vertices[k]);
    }
}

}  // namespace

int32_t vertexLightContribution(const VertexLightEffect* e, const MeshVertex* v, uint32_t type) {
    if (v->light > 28) return 0;  // already (nearly) at full brightness
    const int16_t position[3] = {v->x, v->y, v->z};
    const int16_t normal[3] = {v->nx, v->ny, v->nz};
    const int32_t c = lightSum(position, normal);
    if (c < 3) return 0;
    if (type == 1 && dotNormal(*v, int32_t(v->x) - e->x, int32_t(v->y) - e->y, int32_t(v->z) - e->z) > 0) {
        return 0;  // a wrap effect lights only vertices that face it
    }
    return c;
}

int32_t createVertexLightEffect(VertexLightEffect* e, int32_t intensity, int32_t radius, int32_t amplitude,
                                uint32_t type, SceneObject* objects, int32_t objectCount) {
    if (intensity < 0) return 0;
    e->amplitude = std::clamp(amplitude, 0, 1023);
    if (radius < 32) return 0;
    e->countdown = 0;
    e->phase = 0;
    e->randomIndex = crtRand() & 255;

    // Light 0 stands for the effect while the affected vertices are found.
    lightCount = 1;
    PointLight* l = &lightTable[0];
    l->x = e->x;
    l->y = e->y;
    l->z = e->z;
    setLight(l, type, std::min(intensity, 1023), std::min(radius, 1023));

    int32_t count = 0;
    forEachVertex(objects, objectCount, [&](MeshVertex& v) {
        if (vertexLightContribution(e, &v, type) != 0) ++count;
    });
    e->count = count;
    if (count != 0) {
        e->vertices = std::make_unique<MeshVertex*[]>(size_t(count));
        e->weights = std::make_unique<uint8_t[]>(size_t(count));
        int32_t n = 0;
        forEachVertex(objects, objectCount, [&](MeshVertex& v) {
            const int32_t c = vertexLightContribution(e, &v, type);
            if (c == 0) return;
            e->vertices[n] = &v;
            e->weights[n] = uint8_t(std::min(c, 255));
            v.lightSaved = v.light;
            ++n;
        });
    }
    lightCount = 0;
    return count;
}

void updateVertexLightEffect(VertexLightEffect* e) {
    if (e->count == 0) return;
    // pulse: 0..amplitude, from the cosine of the phase (2.14) raised to 0..2.0.
    const int32_t pulse = sar(wrapMul(CosLut[e->phase & 2047] + kOne14, e->amplitude), 15);
    for (int32_t k = 0; k < e->count; ++k) {
        MeshVertex* v = e->vertices[k];
        const int32_t w = e->weights[k];  // weight in 1/256ths
        const int32_t level = wrapAdd(wrapAdd(sar(wrapMul(pulse, w), 8), sar(wrapMul(e->intensity, w), 8)), v->lightSaved);
        v->light = low16(std::min(level, 31));
    }
    if (e->flicker != 0) {
        if (e->countdown == 0) {
            e->randomIndex = (e->randomIndex + 1) & 255;
            const int32_t j = sar(wrapMul(RandomBytes[e->randomIndex], e->flickerJump), 8);
            if (j < 0) e->phaseStep = wrapNeg(e->phaseStep);
            e->phase = wrapAdd(wrapAdd(e->phase, e->flickerJump), j) & 2047;
            e->randomIndex = (e->randomIndex + 1) & 255;
            e->countdown = wrapAdd(e->flickerPeriod, sar(wrapMul(RandomBytes[e->randomIndex], e->flickerPeriod), 8));
        } else {
            e->countdown = wrapSub(e->countdown, 1);
        }
    }
    e->phase = wrapAdd(e->phase, e->phaseStep) & 2047;
}

void removeVertexLightEffect(VertexLightEffect* e) {
    for (int32_t k = 0; k < e->count; ++k) e->vertices[k]->light = e->vertices[k]->lightSaved;
    e->weights.reset();
    e->vertices.reset();
    e->count = 0;
}

void darkenVertices(const int16_t centre[3], int32_t strength, int32_t radius, SceneObject* objects,
                    int32_t objectCount) {
    if (radius < 32 || strength < 8 || objectCount < 1) return;
    forEachVertex(objects, objectCount, [&](MeshVertex& v) {
        const int32_t dx = int32_t(v.x) - centre[0];
        const int32_t dy = int32_t(v.y) - centre[1];
        const int32_t dz = int32_t(v.z) - centre[2];
        // The squared distance is summed in double precision, so far vertices never wrap into range.
        const double d2 = double(dx) * dx + double(dy) * dy + double(dz) * dz;
        const int32_t dist = int32_t(std::sqrt(d2));
        if (dist > radius || dotNormal(v, dx, dy, dz) >= 0) return;  // only vertices facing the centre
        // f: 16.16 factor, 65536 - strength/256 at the centre, 65536 at the radius.
        const int32_t f = wrapSub(65536, wrapShl(wrapMul(radius - dist, strength), 8) / radius);
        v.light = low16(std::max(1, sar(wrapMul(f, v.light), 16)));
    });
}

}  // namespace veloxia
