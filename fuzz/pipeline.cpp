// SPDX-License-Identifier: MIT
// A scene object made from the input through the object road (renderObject), the world road
// (renderFaceClipped, near-plane subdivision) or drawMesh, over two frames, in every render
// mode, with engine options, point lights and any matrix; blended faces through both flushes.
#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

void configure(ByteReader& in) {
    for (int32_t n = in.range(0, 3); n > 0; --n) setRenderMode(&renderContext, in.flag() ? in.range(0, 11) : in.u32());
    if (in.flag()) {
        const auto option = uint32_t(in.below(4));
        setEngineOption(&renderContext, option, in.range(0, 5000));
    }
    if (in.flag()) {
        const int32_t count = in.range(0, 16);
        for (int32_t i = 0; i < count; ++i) {
            PointLight& l = lightTable[i];
            l.x = in.coordinate();
            l.y = in.coordinate();
            l.z = in.coordinate();
            const auto type = uint32_t(in.below(4));
            const int32_t intensity = in.range(-8, 1100);
            setLight(&l, type, intensity, in.range(0, 5000));
        }
        setLightCount(in.range(-1, 17));
    }
}

void drawFrame(ByteReader& in, SceneObject& o, int32_t road) {
    switch (road) {
    case 0:
        renderObject(&renderContext, &o);
        break;
    case 1:  // the world road processes each vertex once a frame by its stamp
        for (int32_t i = 0; i < o.faceCount; ++i) renderFaceClipped(&renderContext, &o.faces[size_t(i)]);
        break;
    default:
        drawMesh(&renderContext, o.vertices.get(), o.vertexCount, o.faces.get(), o.faceCount);
        break;
    }
    if (o.vertexCount > 0) projectVertex(&renderContext, &o.vertices[size_t(in.below(o.vertexCount))]);
    if (in.flag())
        flushFaceQueueSorted(&faceQueue);
    else
        flushFaceQueue(&faceQueue);
}

}  // namespace

int pipeline(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    resetEngine(in.flag() ? 0x20000000 : 0);
    configure(in);
    std::vector<std::unique_ptr<OwnedTexture>> textures;
    for (int32_t n = in.range(1, 4); n > 0; --n) textures.push_back(makeTexture(in));
    SceneObject o = makeObject(in, textures);
    const int32_t road = in.below(3);
    for (int32_t i = 0; i < o.vertexCount; ++i) o.vertices[size_t(i)].stamp = -1;  // as the world build leaves them
    renderContext.frameCounter = in.flag() ? 0xFFFEu : in.u32();  // 0xFFFF: the frame on which no stamp counts
    for (int frame = 0; frame < 2; ++frame) {
        const Mat34 m = makeMatrix(in);
        loadMatrix(&m);
        drawFrame(in, o, road);
        ++renderContext.frameCounter;
    }
    return 0;
}

}  // namespace vxfuzz
