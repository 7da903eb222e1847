// SPDX-License-Identifier: MIT
#include "pack.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <cstdio>
#include <utility>

#include "checks.h"
#include "default_data.h"
#include "files.h"
#include "materials.h"
#include "obj_import.h"

namespace vxpack {
namespace {

using Vec = std::array<double, 3>;

// Model space to engine units: p * scale + offset.
struct Placement {
    double scale = 1;
    Vec offset{0, 0, 0};
};

int64_t roundHalfUp(double value) { return static_cast<int64_t>(std::floor(value + 0.5)); }

// Positions are in range here: measurePlacement has checked every one of them.
int16_t engineCoordinate(double value) { return static_cast<int16_t>(roundHalfUp(value)); }

Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double length(const Vec& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

std::array<int16_t, 3> unitNormal(const Vec& n) {
    const double size = length(n);
    if (!(size > 0) || !std::isfinite(size)) return {0, 0, 0};
    std::array<int16_t, 3> out{};
    for (size_t i = 0; i < 3; ++i) out[i] = static_cast<int16_t>(roundHalfUp(n[i] / size * kNormalLength));
    return out;
}

Placement choosePlacement(const RawModel& model, const PackOptions& options) {
    if (!(options.scale > 0) || !std::isfinite(options.scale))
        throw PackError("the scale must be a positive number");
    if (options.fitRadius <= 0) return {options.scale, options.translate};
    Vec low{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    Vec high{-low[0], -low[1], -low[2]};
    for (const auto& object : model.objects)
        for (const auto& corner : object.corners)
            for (size_t i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], model.positions[static_cast<size_t>(corner.position)][i]);
                high[i] = std::max(high[i], model.positions[static_cast<size_t>(corner.position)][i]);
            }
    const Vec centre{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    double radius = 0;
    for (const auto& object : model.objects)
        for (const auto& corner : object.corners) {
            const Vec d = sub(model.positions[static_cast<size_t>(corner.position)], centre);
            radius = std::max(radius, length(d));
        }
    const double scale = radius > 0 ? options.fitRadius / radius : 1.0;
    return {scale, {-centre[0] * scale, -centre[1] * scale, -centre[2] * scale}};
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(value) >= 100 ? "%.0f" : "%.3g", value);
    return text;
}

std::string placementOptions(const PackOptions& options) {
    if (options.fitRadius > 0) return "--fit " + number(options.fitRadius);
    std::string said;
    if (options.scale != 1.0) said += "--scale " + number(options.scale);
    if (options.translate != Vec{0, 0, 0}) said += std::string(said.empty() ? "" : " and ") + "--translate";
    return said.empty() ? "as written in the file" : "after " + said;
}

// Refuses a placement under which the model leaves the 16-bit range, or collapses when rounded
// to whole units: a radius under kMinModelRadius, or more than a quarter of its distinct
// positions merged into others. Positions nearer than kSamePosition units count as one already
// (seams written twice with a tiny offset are no loss).
void checkPlacement(const RawModel& model, const Placement& placement, const PackOptions& options) {
    constexpr double kSamePosition = 0.01;
    std::map<std::array<int64_t, 3>, std::vector<Vec>> byWholeUnit;
    size_t distinct = 0, merged = 0;
    Vec low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
    std::vector<bool> seen(model.positions.size(), false);
    for (const auto& object : model.objects)
        for (size_t corner = 0; corner < object.corners.size(); ++corner) {
            const size_t index = static_cast<size_t>(object.corners[corner].position);
            if (seen[index]) continue;
            seen[index] = true;
            Vec p{};
            std::array<int64_t, 3> whole{};
            for (size_t i = 0; i < 3; ++i) {
                p[i] = model.positions[index][i] * placement.scale + placement.offset[i];
                if (!(std::fabs(p[i]) <= kMaxCoordinate))
                    throw PackError(object.origin[corner / 3] + ": object \"" + object.name + "\" reaches " +
                                    number(p[i]) + " (" + placementOptions(options) + "), outside the engine's " +
                                    "16-bit range -" + std::to_string(kMaxCoordinate) + ".." +
                                    std::to_string(kMaxCoordinate) +
                                    " (use --fit R to scale the model to radius R, e.g. --fit 200)");
                low[i] = std::min(low[i], p[i]);
                high[i] = std::max(high[i], p[i]);
                whole[i] = roundHalfUp(p[i]);
            }
            auto& sharing = byWholeUnit[whole];
            if (std::any_of(sharing.begin(), sharing.end(), [&](const Vec& q) { return length(sub(p, q)) < kSamePosition; }))
                continue;
            ++distinct;
            if (!sharing.empty()) ++merged;
            sharing.push_back(p);
        }
    if (distinct == 0) return;
    double radius = 0;
    for (size_t i = 0; i < 3; ++i) radius = std::max(radius, (high[i] - low[i]) / 2);
    if (radius >= kMinModelRadius && merged * 4 <= distinct) return;
    const std::string size = number(high[0] - low[0]) + " x " + number(high[1] - low[1]) + " x " + number(high[2] - low[2]);
    const std::string what = radius < kMinModelRadius
                                 ? "a radius under " + std::to_string(kMinModelRadius)
                                 : std::to_string(merged) + " of its " + std::to_string(distinct) + " distinct positions merge";
    const std::string fix = options.fitRadius > 0 && radius >= kMinModelRadius
                                ? "It has more detail than whole units hold at this size: give a larger --fit, or "
                                  "simplify the model first"
                                : "Use --fit R to centre it and scale it to radius R, e.g. --fit 200 for the benchmark";
    throw PackError("the model measures " + size + " units (" + placementOptions(options) +
                    "): rounded to whole engine units it collapses (" + what + "). " + fix);
}

int16_t bakedLight(const std::array<int16_t, 3>& normal, const std::array<int64_t, 3>& sun, const PackOptions& options) {
    if (!options.bakeSun) return static_cast<int16_t>(options.light);
    const int64_t dot = normal[0] * sun[0] + normal[1] * sun[1] + normal[2] * sun[2];
    const int64_t full = static_cast<int64_t>(kNormalLength) * kNormalLength;
    const int64_t lit = std::clamp<int64_t>(dot, 0, full);
    const int64_t range = options.light - options.ambient;
    return static_cast<int16_t>(options.ambient + (range * lit) / full);
}

// u or v of three corners in 12.4, moved by whole repeats of the texture so that the smallest
// lies in the first repeat; the engine wraps coordinates with the texture size.
std::array<int16_t, 3> textureAxis(const double value[3], int32_t side, const std::string& object,
                                   const std::string& origin) {
    const int64_t period = int64_t{16} * side;
    int64_t fixed[3];
    for (int i = 0; i < 3; ++i) {
        const double scaled = value[i] * period;
        if (!std::isfinite(scaled) || std::fabs(scaled) > 1e15)
            throw PackError(origin + ": a face of object \"" + object + "\" has a texture coordinate out of any range");
        fixed[i] = roundHalfUp(scaled);
    }
    const int64_t lowest = std::min({fixed[0], fixed[1], fixed[2]});
    const int64_t shift = (lowest >= 0 ? lowest / period : -((-lowest + period - 1) / period)) * period;
    std::array<int16_t, 3> out{};
    for (int i = 0; i < 3; ++i) {
        const int64_t moved = fixed[i] - shift;
        if (moved > kMaxTextureCoordinate)
            throw PackError(origin + ": a face of object \"" + object + "\" spans " +
                            std::to_string((moved + period - 1) / period) + " texture repeats; 16-bit 12.4 " +
                            "coordinates hold " + std::to_string(kMaxTextureCoordinate / period) +
                            " at this texture size (a smaller texture, or --resize-textures on a larger image, " +
                            "holds more)");
        out[static_cast<size_t>(i)] = static_cast<int16_t>(moved);
    }
    return out;
}

void checkName(const std::string& name, const std::string& origin) {
    const bool printable = std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (name.empty() || name.size() > static_cast<size_t>(kMaxNameLength) || !printable)
        throw PackError((origin.empty() ? "" : origin + ": ") + "object name \"" + name + "\" must be 1.." +
                        std::to_string(kMaxNameLength) + " printable ASCII characters (rename its o or g line, " +
                        "or join everything into one object with --merge NAME)");
}

PackObject convertObject(const RawObject& raw, const RawModel& model, const Placement& placement,
                         TextureSet& textures, const PackOptions& options) {
    checkName(raw.name, raw.origin.empty() ? "" : raw.origin.front());
    auto place = [&](int position) {
        const Vec& p = model.positions[static_cast<size_t>(position)];
        return Vec{p[0] * placement.scale + placement.offset[0], p[1] * placement.scale + placement.offset[1],
                   p[2] * placement.scale + placement.offset[2]};
    };
    // Smooth normals for corners the OBJ gives none: the unit normals of the faces around a
    // position, each weighted by the face's angle at that corner (a cube corner then gets the
    // diagonal whichever way its quads were cut).
    std::map<int, Vec> smooth;
    for (size_t corner = 0; corner < raw.corners.size(); corner += 3) {
        const Vec p[3] = {place(raw.corners[corner].position), place(raw.corners[corner + 1].position),
                          place(raw.corners[corner + 2].position)};
        const Vec n = cross(sub(p[1], p[0]), sub(p[2], p[0]));
        const double area = length(n);
        if (!(area > 0)) continue;
        for (size_t k = 0; k < 3; ++k) {
            if (raw.corners[corner + k].normal >= 0) continue;
            const Vec e1 = sub(p[(k + 1) % 3], p[k]), e2 = sub(p[(k + 2) % 3], p[k]);
            const double angle = std::atan2(length(cross(e1, e2)), e1[0] * e2[0] + e1[1] * e2[1] + e1[2] * e2[2]);
            Vec& sum = smooth[raw.corners[corner + k].position];
            for (size_t i = 0; i < 3; ++i) sum[i] += n[i] / area * angle;
        }
    }
    const Vec sunVector = options.sun;
    const auto sunUnit = unitNormal(sunVector);
    const std::array<int64_t, 3> sun{sunUnit[0], sunUnit[1], sunUnit[2]};

    PackObject object;
    object.name = raw.name;
    std::map<std::pair<int, int>, int32_t> vertexOf;
    for (size_t corner = 0; corner < raw.corners.size(); corner += 3) {
        PackFace face;
        face.texture = textures.forMaterial(model.materials[static_cast<size_t>(raw.material[corner / 3])]);
        const PackTexture& texture = textures.at(face.texture);
        double u[3], v[3];
        for (size_t k = 0; k < 3; ++k) {
            const RawCorner& c = raw.corners[corner + k];
            const auto key = std::make_pair(c.position, c.normal);
            auto found = vertexOf.find(key);
            if (found == vertexOf.end()) {
                const Vec p = place(c.position);
                PackVertex vertex;
                vertex.x = engineCoordinate(p[0]);
                vertex.y = engineCoordinate(p[1]);
                vertex.z = engineCoordinate(p[2]);
                const auto n = unitNormal(c.normal >= 0 ? model.normals[static_cast<size_t>(c.normal)] : smooth[c.position]);
                vertex.nx = n[0];
                vertex.ny = n[1];
                vertex.nz = n[2];
                vertex.light = bakedLight(n, sun, options);
                found = vertexOf.emplace(key, static_cast<int32_t>(object.vertices.size())).first;
                object.vertices.push_back(vertex);
            }
            face.vertex[k] = found->second;
            u[k] = c.hasUv ? c.u : 0.0;
            v[k] = c.hasUv ? 1.0 - c.v : 0.0;  // image rows run from the top
        }
        const std::string& origin = raw.origin[corner / 3];
        face.u = textureAxis(u, texture.width, raw.name, origin);
        face.v = textureAxis(v, texture.height, raw.name, origin);
        object.faces.push_back(face);
    }
    if (options.pivotAtCentre && !object.vertices.empty()) {
        const auto [lowX, highX] = std::minmax_element(object.vertices.begin(), object.vertices.end(),
                                                       [](const auto& a, const auto& b) { return a.x < b.x; });
        const auto [lowY, highY] = std::minmax_element(object.vertices.begin(), object.vertices.end(),
                                                       [](const auto& a, const auto& b) { return a.y < b.y; });
        const auto [lowZ, highZ] = std::minmax_element(object.vertices.begin(), object.vertices.end(),
                                                       [](const auto& a, const auto& b) { return a.z < b.z; });
        object.matrix[9] = static_cast<int16_t>((lowX->x + highX->x) >> 1);
        object.matrix[10] = static_cast<int16_t>((lowY->y + highY->y) >> 1);
        object.matrix[11] = static_cast<int16_t>((lowZ->z + highZ->z) >> 1);
    }
    return object;
}

void checkOptions(const PackOptions& options) {
    if (options.inputs.empty()) throw PackError("no OBJ file to pack");
    if (options.drawMode < 0 || options.drawMode > 3) throw PackError("the draw mode must be 0..3");
    if (options.light < 0 || options.light > 31 || options.ambient < 0 || options.ambient > 31)
        throw PackError("light levels run from 0 to 31");
    if (options.bakeSun && options.ambient > options.light)
        throw PackError("the ambient level (" + std::to_string(options.ambient) + ") is above the light level (" +
                        std::to_string(options.light) + "): the side away from the sun would be the brighter one " +
                        "(give --ambient " + std::to_string(options.light) + " or less)");
    if (!options.mergeInto.empty()) checkName(options.mergeInto, "--merge");
}

// One file under two names: the same inode, or (for names that do not exist yet) the same path
// once symbolic links, "." and ".." are resolved.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error)) return true;
    std::error_code errorA, errorB;
    const auto canonicalA = std::filesystem::weakly_canonical(a, errorA);
    const auto canonicalB = std::filesystem::weakly_canonical(b, errorB);
    return errorA ? a.lexically_normal() == b.lexically_normal() : !errorB && canonicalA == canonicalB;
}

}  // namespace

void chooseLight(PackOptions& options, bool lightGiven, bool sunGiven, bool flat) {
    options.bakeSun = !flat && (sunGiven || !lightGiven);
}

PackResult packModels(const PackOptions& options) {
    checkOptions(options);
    RawModel model;
    Diagnostics warnings;
    for (const auto& input : options.inputs) importObj(input, model, warnings);
    if (!options.mergeInto.empty()) {
        RawObject merged{options.mergeInto, {}, {}, {}};
        for (const auto& object : model.objects) {
            merged.corners.insert(merged.corners.end(), object.corners.begin(), object.corners.end());
            merged.material.insert(merged.material.end(), object.material.begin(), object.material.end());
            merged.origin.insert(merged.origin.end(), object.origin.begin(), object.origin.end());
        }
        model.objects = {merged};
    }
    if (model.objects.empty()) throw PackError("the OBJ files hold no faces");
    if (model.objects.size() > static_cast<size_t>(kMaxObjects))
        throw PackError("the model has " + std::to_string(model.objects.size()) + " objects; the engine's table holds " +
                        std::to_string(kMaxObjects) + " (--merge joins them into one)");
    const Placement placement = choosePlacement(model, options);
    checkPlacement(model, placement, options);
    TextureSet textures(options);
    PackResult result;
    for (const auto& raw : model.objects) result.scene.objects.push_back(convertObject(raw, model, placement, textures, options));
    result.blendedWhy = textures.blendedWhy();
    result.textures = textures.take();
    checkFileSizes(result.scene, result.textures);
    checkBlendedFaces(result.scene, result.textures, result.blendedWhy, warnings);
    for (const auto& object : result.scene.objects)
        if (object.name == kBenchObjectName && radiusAboutPivot(object) >= kBenchObjectMaxRadius)
            warnings.warn("bench radius", "\"" + object.name + "\" reaches " + std::to_string(radiusAboutPivot(object)) +
                                              " units from its centre: on the benchmark's running screen it crosses " +
                                              "the near plane and loses faces (it must stay within " +
                                              std::to_string(kBenchObjectMaxRadius - 1) + ": a smaller --fit)");
    result.warnings = warnings.lines();
    result.warningCount = warnings.total();
    result.sources = options.inputs;
    result.sources.insert(result.sources.end(), model.libraries.begin(), model.libraries.end());
    result.sources.insert(result.sources.end(), textures.images().begin(), textures.images().end());
    return result;
}

void writePair(const PackResult& result, const std::filesystem::path& scenePath, const std::filesystem::path& texturePath) {
    if (sameFile(scenePath, texturePath)) throw PackError("the scene file and the texture file must be different files");
    for (const auto& output : {scenePath, texturePath}) {
        const auto folder = output.parent_path().empty() ? std::filesystem::path(".") : output.parent_path();
        if (!std::filesystem::is_directory(folder)) throw PackError("no such directory: " + folder.string());
        for (const auto& source : result.sources)
            if (sameFile(output, source))
                throw PackError("refusing to overwrite the input " + source.string() + " with " + output.string());
    }
    writeFileAtomically(scenePath, sceneFileBytes(result.scene));
    writeFileAtomically(texturePath, textureFileBytes(result.textures));
}

}  // namespace vxpack
