// SPDX-License-Identifier: MIT
// The world: objects made from the input built into a grid (any division counts, also
// rejected ones), then drawn over a few frames with renderWorld or renderWorldNear from any
// matrix, in any render mode, with point lights, a vertex light effect and a darkened patch;
// the frame counter may cross the value on which no vertex stamp counts.
#include "harnesses.h"
#include "support.h"

namespace vxfuzz {

using namespace veloxia;

namespace {

void drawFrames(ByteReader& in, World& world, std::vector<SceneObject>& objects) {
    VertexLightEffect effect{};
    if (in.flag()) {
        effect.x = in.coordinate();
        effect.y = in.coordinate();
        effect.z = in.coordinate();
        effect.flicker = in.flag();
        effect.flickerPeriod = in.range(0, 64);
        effect.phaseStep = in.range(-4096, 4096);
        effect.flickerJump = in.range(0, 4096);
        effect.intensity = in.range(-64, 64);
        const int32_t intensity = in.range(-8, 1100), radius = in.range(0, 5000), amplitude = in.range(-8, 1100);
        createVertexLightEffect(&effect, intensity, radius, amplitude, uint32_t(in.below(3)), objects.data(),
                                int32_t(objects.size()));
    }
    if (in.flag()) {
        const int16_t centre[3] = {in.coordinate(), in.coordinate(), in.coordinate()};
        const int32_t strength = in.range(-8, 64);
        darkenVertices(centre, strength, in.range(0, 5000), objects.data(), int32_t(objects.size()));
    }
    renderContext.frameCounter = in.flag() ? 0xFFFDu : in.u32();
    for (int32_t frame = in.range(1, 3); frame > 0; --frame) {
        setRenderMode(&renderContext, uint32_t(in.range(0, 10)));
        const Mat34 m = makeMatrix(in);
        loadMatrix(&m);
        if (effect.count > 0) updateVertexLightEffect(&effect);
        if (in.flag())
            renderWorldNear(&world);
        else
            renderWorld(&world);
        flushFaceQueue(&faceQueue);
        check(worldStats.cellsDrawn <= worldStats.cellsVisible + world.cellCount, "no more cells drawn than there are");
        ++renderContext.frameCounter;
    }
    removeVertexLightEffect(&effect);
}

}  // namespace

int world(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    resetEngine(in.flag() ? 0x20000000 : 0);
    maybeOneLight(in);
    std::vector<std::unique_ptr<OwnedTexture>> textures;
    for (int32_t n = in.range(1, 4); n > 0; --n) textures.push_back(makeTexture(in));
    std::vector<SceneObject> objects;
    for (int32_t n = in.range(0, 3); n > 0; --n) {
        objects.push_back(makeObject(in, textures));
        objects.back().worldMember = uint16_t(in.below(3));
    }
    auto world = std::make_unique<World>();
    const int32_t divX = in.range(-1, 16), divY = in.range(-1, 16), divZ = in.range(-1, 16);
    const int result = buildWorld(world.get(), objects.data(), int32_t(objects.size()), divX, divY, divZ);
    check(result == 0 || result == 2, "the build gives 0 or 2");
    check(world->cellCount >= 0 && world->cellCount <= kMaxWorldCells, "the cell count fits the table");
    if (result == 0) drawFrames(in, *world, objects);
    freeWorld(world.get());
    return 0;
}

}  // namespace vxfuzz
