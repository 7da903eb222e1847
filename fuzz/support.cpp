// SPDX-License-Identifier: MIT
#include "support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vxfuzz {

using namespace veloxia;

int16_t ByteReader::coordinate() {
    switch (byte() & 3) {
    case 0: return i16();                             // anything, wrap-arounds included
    case 1: return int16_t(range(-64, 63));           // around the origin and the near plane
    case 2: return int16_t(range(-1024, 1023));       // a model or a view
    default: return int16_t(range(-100, 420));       // the screen and a little around it
    }
}

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "vxfuzz: property does not hold: %s\n", what);
    std::abort();
}

namespace {

// Removes the scratch folder when the process ends normally.
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        const std::filesystem::path shm = "/dev/shm";
        std::error_code ec;
        const auto base = std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
        path = base / ("vxfuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

std::filesystem::path scratchFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

std::filesystem::path scratchFile(const std::string& name, std::span<const uint8_t> bytes) {
    const auto path = scratchFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    check(bool(out.flush()), "the scratch file can be written");
    return path;
}

void resetEngine(uint32_t clear) {
    static const RenderContext initial = [] {
        initEngine(&renderContext);
        return renderContext;
    }();
    renderContext = initial;
    setFogRange(10);
    buildProjectionTable(&renderContext, 350);
    resetFaceQueue(&faceQueue);
    immReset();
    stackFree(&matrixStack);
    stackInit(&matrixStack, 8);
    setLightCount(0);
    std::fill(std::begin(lightTable), std::end(lightTable), PointLight{});
    crtSeed(1);
    worldStats = WorldStats{};
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), clear);
}

void maybeOneLight(ByteReader& in) {
    if (!in.flag()) return;
    const int16_t x = in.coordinate(), y = in.coordinate(), z = in.coordinate();
    lightTable[0] = PointLight{x, y, z, 0, 0, 0, 0, 0};
    const auto type = uint32_t(in.range(1, 2));
    const int32_t intensity = in.range(0, 1023);
    setLight(&lightTable[0], type, intensity, in.range(16, 4095));
    setLightCount(1);
}

std::unique_ptr<OwnedTexture> makeTexture(ByteReader& in) {
    auto owned = std::make_unique<OwnedTexture>();
    Texture& t = owned->texture;
    t.width = 1 << in.range(0, 6);
    t.height = 1 << in.range(0, 6);
    t.drawMode = in.range(0, 3);
    t.backfaceCull = in.flag();
    t.uMask = uint32_t(t.width - 1) << 16;
    t.vMask = (uint32_t(t.height - 1) << 16) * uint32_t(t.width);
    // A few bytes of pattern repeated over the texels; 0 is the transparent texel of keyed modes.
    const int32_t pattern = in.range(1, 8);
    std::vector<uint16_t> colours(size_t(pattern), 0);
    for (auto& c : colours) c = uint16_t(in.u16() & 0x3FE0);
    owned->texels.resize(size_t(t.width) * size_t(t.height));
    for (size_t i = 0; i < owned->texels.size(); ++i) owned->texels[i] = colours[i % colours.size()];
    t.texels = owned->texels.data();
    t.frameCount = 1;
    t.averageColor = textureAverageColor(&t);
    return owned;
}

SceneObject makeObject(ByteReader& in, const std::vector<std::unique_ptr<OwnedTexture>>& textures) {
    SceneObject o{};
    o.active = 1;
    o.worldMember = 1;
    o.vertexCount = in.range(0, 64);
    o.faceCount = o.vertexCount == 0 ? 0 : in.range(0, 96);
    o.vertices = std::make_unique<MeshVertex[]>(size_t(o.vertexCount));
    o.faces = std::make_unique<MeshFace[]>(size_t(o.faceCount));
    for (int32_t i = 0; i < o.vertexCount; ++i) {
        MeshVertex& v = o.vertices[size_t(i)];
        v = MeshVertex{};
        v.x = in.coordinate();
        v.y = in.coordinate();
        v.z = in.coordinate();
        v.light = in.flag() ? int16_t(in.range(0, 31)) : in.i16();
        v.nx = in.i16();
        v.ny = in.i16();
        v.nz = in.i16();
    }
    for (int32_t i = 0; i < o.faceCount; ++i) {
        MeshFace& f = o.faces[size_t(i)];
        for (FaceCorner& c : f.corner) {
            c.vertex = &o.vertices[size_t(in.below(o.vertexCount))];
            c.u = in.i16();
            c.v = in.i16();
        }
        f.texture = &textures[size_t(in.below(int32_t(textures.size())))]->texture;
        f.cell = -1;
    }
    return o;
}

Mat34 makeMatrix(ByteReader& in) {
    Mat34 m;
    switch (in.byte() % 3) {
    case 0:  // all twelve entries as given
        for (int16_t& e : m) e = in.i16();
        return m;
    case 1:  // a turn about each axis, then a step along the view axis
        matIdentity(&m);
        matRotateX(&m, in.i16());
        matRotateY(&m, in.i16());
        matRotateZ(&m, in.i16());
        break;
    default:  // a scale
        matSetScale(&m, in.i16());
        break;
    }
    m[9] = in.coordinate();
    m[10] = in.coordinate();
    m[11] = int16_t(-in.range(-400, 9000));
    return m;
}

}  // namespace vxfuzz
