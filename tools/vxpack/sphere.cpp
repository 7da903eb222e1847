// SPDX-License-Identifier: MIT
#include "sphere.h"

#include <cmath>
#include <numbers>

#include <veloxia/veloxia.h>

#include "default_data.h"

namespace vxpack {

namespace {

constexpr int32_t kSide = 64;         // texels a side of the checker
constexpr int32_t kCell = 8;          // texels a side of one checker square
constexpr int32_t kWrapsAround = 8;   // texture repeats around the equator
constexpr int32_t kWrapsPoleToPole = 4;
constexpr int16_t kAmbient = 8;       // light level of the side turned away

int32_t triangleCount(int32_t stacks) { return 4 * stacks * (stacks - 1); }

PackTexture checker() {
    PackTexture t;
    t.width = t.height = kSide;
    const auto warm = uint16_t(veloxia::makeColorIndex(255, 200, 40));
    const auto cool = uint16_t(veloxia::makeColorIndex(40, 120, 255));
    std::vector<uint16_t> texels(kSide * kSide);
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; ++x) texels[y * kSide + x] = ((x / kCell + y / kCell) & 1) ? cool : warm;
    }
    t.frames.push_back(std::move(texels));
    return t;
}

// A sine or cosine that lies within a hair of 0, 1/2 or 1 is exactly that. At 30, 60 and 90
// degrees the true values are those, and a libm one ulp off would otherwise move a vertex by a
// unit at an odd radius (0.5 * 121 rounds to 61, 0.49999999999999994 * 121 to 60): so the
// sphere is the same with any correctly or faithfully rounded libm.
double exactHalves(double v) {
    const double half = std::round(v * 2) / 2;
    return std::fabs(v - half) < 1e-12 ? half : v;
}

// Unit direction of ring i (0 = north pole .. stacks = south pole), slice j.
std::array<double, 3> direction(int32_t i, int32_t j, int32_t stacks, int32_t slices) {
    const double theta = std::numbers::pi * i / stacks;
    const double phi = 2 * std::numbers::pi * j / slices;
    const double sinTheta = exactHalves(std::sin(theta)), cosTheta = exactHalves(std::cos(theta));
    const double sinPhi = exactHalves(std::sin(phi)), cosPhi = exactHalves(std::cos(phi));
    return {sinTheta * cosPhi, cosTheta, sinTheta * sinPhi};
}

PackVertex vertexAt(const std::array<double, 3>& d, int32_t radius) {
    static const double sun[3] = {0.48, 0.64, 0.6};  // unit: upper front right
    const double facing = std::max(0.0, d[0] * sun[0] + d[1] * sun[1] + d[2] * sun[2]);
    PackVertex v;
    v.x = int16_t(std::lround(d[0] * radius));
    v.y = int16_t(std::lround(d[1] * radius));
    v.z = int16_t(std::lround(d[2] * radius));
    v.light = int16_t(kAmbient + std::lround((31 - kAmbient) * facing));
    v.nx = int16_t(std::lround(d[0] * kNormalLength));
    v.ny = int16_t(std::lround(d[1] * kNormalLength));
    v.nz = int16_t(std::lround(d[2] * kNormalLength));
    return v;
}

// A face from three (vertex, ring, slice) corners, turned so that it runs counter-clockwise
// seen from outside; u keeps growing past the seam (the texture wraps), so no face spans it.
struct Corner {
    int32_t vertex;
    double ring, slice;
};

PackFace faceOf(const PackObject& o, Corner a, Corner b, Corner c, int32_t stacks, int32_t slices) {
    const auto& p = o.vertices;
    const auto at = [&](const Corner& k) { return std::array<double, 3>{double(p[k.vertex].x), double(p[k.vertex].y), double(p[k.vertex].z)}; };
    const auto pa = at(a), pb = at(b), pc = at(c);
    const double e1[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    const double e2[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    if (n[0] * (pa[0] + pb[0] + pc[0]) + n[1] * (pa[1] + pb[1] + pc[1]) + n[2] * (pa[2] + pb[2] + pc[2]) < 0) std::swap(b, c);
    PackFace f;
    const Corner corners[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        f.vertex[k] = corners[k].vertex;
        f.u[k] = int16_t(std::lround(corners[k].slice * kWrapsAround * kSide * 16 / slices));
        f.v[k] = int16_t(std::lround(corners[k].ring * kWrapsPoleToPole * kSide * 16 / stacks));
    }
    return f;
}

}  // namespace

int32_t sphereStacks(int32_t triangles) {
    int32_t best = 3;
    for (int32_t s = 3; triangleCount(s) <= kMaxSphereTriangles; ++s) {
        if (std::abs(triangleCount(s) - triangles) <= std::abs(triangleCount(best) - triangles)) best = s;
    }
    return best;
}

PackResult makeSphere(const SphereOptions& options) {
    if (options.triangles < kMinSphereTriangles || options.triangles > kMaxSphereTriangles) {
        throw PackError("a sphere has " + std::to_string(kMinSphereTriangles) + " to " +
                        std::to_string(kMaxSphereTriangles) + " triangles, not " + std::to_string(options.triangles));
    }
    if (options.radius < 8 || options.radius > kBenchObjectMaxRadius) {
        throw PackError("the sphere's radius must be 8 to " + std::to_string(kBenchObjectMaxRadius));
    }
    if (options.name.empty() || options.name.size() > size_t(kMaxNameLength)) {
        throw PackError("object names are 1 to " + std::to_string(kMaxNameLength) + " characters");
    }
    const int32_t stacks = sphereStacks(options.triangles), slices = 2 * stacks;
    PackResult result;
    result.textures.textures.push_back(checker());
    PackObject o;
    o.name = options.name;
    // Vertex 0 the north pole, then the rings between, slice by slice, then the south pole.
    o.vertices.push_back(vertexAt(direction(0, 0, stacks, slices), options.radius));
    for (int32_t i = 1; i < stacks; ++i) {
        for (int32_t j = 0; j < slices; ++j) o.vertices.push_back(vertexAt(direction(i, j, stacks, slices), options.radius));
    }
    o.vertices.push_back(vertexAt(direction(stacks, 0, stacks, slices), options.radius));
    const auto ring = [&](int32_t i, int32_t j) { return Corner{1 + (i - 1) * slices + j % slices, double(i), double(j)}; };
    const int32_t south = int32_t(o.vertices.size()) - 1;
    for (int32_t j = 0; j < slices; ++j) {
        o.faces.push_back(faceOf(o, Corner{0, 0, j + 0.5}, ring(1, j), ring(1, j + 1), stacks, slices));
        for (int32_t i = 1; i + 1 < stacks; ++i) {
            o.faces.push_back(faceOf(o, ring(i, j), ring(i + 1, j), ring(i + 1, j + 1), stacks, slices));
            o.faces.push_back(faceOf(o, ring(i, j), ring(i + 1, j + 1), ring(i, j + 1), stacks, slices));
        }
        o.faces.push_back(faceOf(o, Corner{south, double(stacks), j + 0.5}, ring(stacks - 1, j + 1),
                                 ring(stacks - 1, j), stacks, slices));
    }
    result.scene.objects.push_back(std::move(o));
    return result;
}

}  // namespace vxpack
