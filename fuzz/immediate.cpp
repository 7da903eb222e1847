// SPDX-License-Identifier: MIT
// Immediate mode driven call by call: begin/end pairs in any order, vertices outside them,
// texturing switched on and off, coordinates, normals, light levels, rotations, matrix pushes
// and pops past either end, indexed lists from an application's arrays, render modes and
// point lights; the queued faces are flushed at the end.
#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

// The application's side of an indexed list: vertices, two coordinates per index position, indices.
struct IndexedList {
    std::vector<IndexedVertex> vertices;
    std::vector<int16_t> coords;
    std::vector<uint16_t> indices;
};

IndexedList makeList(ByteReader& in) {
    IndexedList list;
    list.vertices.resize(size_t(in.range(1, 16)));
    for (IndexedVertex& v : list.vertices) {
        v = IndexedVertex{};
        v.x = in.coordinate();
        v.y = in.coordinate();
        v.z = in.coordinate();
        v.light = int16_t(in.range(0, 31));
        v.nx = in.i16();
        v.ny = in.i16();
        v.nz = in.i16();
    }
    list.indices.resize(size_t(in.range(0, 24)));
    for (uint16_t& i : list.indices) i = uint16_t(in.below(int32_t(list.vertices.size())));
    list.coords.resize(2 * list.indices.size());
    for (int16_t& c : list.coords) c = in.i16();
    return list;
}

void step(ByteReader& in, IndexedList& list, const std::vector<std::unique_ptr<OwnedTexture>>& textures) {
    switch (in.below(16)) {
    case 0: immEnable(in.flag() ? 0 : in.u32()); break;
    case 1: immDisable(in.flag() ? 0 : in.u32()); break;
    case 2: immBegin(in.flag() ? uint32_t(in.range(0, 3)) : in.u32()); break;
    case 3: immEnd(); break;
    case 4: immTexture(&textures[size_t(in.below(int32_t(textures.size())))]->texture); break;
    case 5: {
        const int16_t nx = in.i16(), ny = in.i16(), nz = in.i16();
        immNormal(nx, ny, nz);
        break;
    }
    case 6: {
        const int32_t u = in.i32(), v = in.i32();
        immTexCoord(u, v);
        break;
    }
    case 7: immLightLevel(in.i32()); break;
    case 8:
    case 9:
    case 10: {
        const int16_t x = in.coordinate(), y = in.coordinate(), z = in.coordinate();
        immVertex(x, y, z);
        break;
    }
    case 11: {
        const int32_t angle = in.i32(), ax = in.range(-1, 1), ay = in.range(-1, 1), az = in.range(-1, 1);
        immRotate(angle, ax, ay, az);
        break;
    }
    case 12: immVertexArray(int32_t(list.vertices.size()), list.vertices.data()); break;
    case 13: immTexCoordArray(in.flag() ? list.coords.data() : nullptr); break;
    case 14: immDrawElements(int32_t(list.indices.size()), list.indices.data()); break;
    default:
        switch (in.below(5)) {
        case 0: pushMatrix(); break;
        case 1: popMatrix(); break;
        case 2: loadIdentity(); break;
        case 3: {
            const int x = in.coordinate(), y = in.coordinate(), z = in.coordinate();
            translateCurrent(x, y, z);
            break;
        }
        default: {
            const Mat34 m = makeMatrix(in);
            loadMatrix(&m);
            break;
        }
        }
        break;
    }
}

}  // namespace

int immediate(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    resetEngine();
    setRenderMode(&renderContext, uint32_t(in.range(0, 10)));
    maybeOneLight(in);
    std::vector<std::unique_ptr<OwnedTexture>> textures;
    for (int32_t n = in.range(1, 3); n > 0; --n) textures.push_back(makeTexture(in));
    IndexedList list = makeList(in);
    translateCurrent(0, 0, -int(in.range(0, 2000)));
    for (int op = 0; op < 96 && !in.empty(); ++op) step(in, list, textures);
    flushFaceQueue(&faceQueue);
    return 0;
}

}  // namespace vxfuzz
