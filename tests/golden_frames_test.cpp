// SPDX-License-Identifier: MIT
// Golden frames: objects drawn at fixed angles through the whole chain (transform,
// classification, fillers, face queue, generic present) as the running screen draws its object,
// pinned by checksums of the working buffer before present and of the screen after it. Any
// change to a pixel shows here; when a change is meant, look at the pictures before updating.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "app/app.h"
#include "support/checksum.h"
#include "support/probe_object.h"

namespace {

using namespace veloxia;
using vxtest::fnv1a;

uint64_t bufferSum() { return fnv1a(FrameBuffer, kBufferCells); }

uint64_t screenSum() {
    std::vector<uint16_t> screen(kScreenWidth * kScreenHeight);
    readDisplayPortrait(screen.data());
    return fnv1a(screen.data(), screen.size());
}

// The running screen's object at `angle`, with the queue flushed as the main loop does.
void drawFrame(SceneObject* object, int angle) {
    renderRunningObject(angle, object);
    if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
}

struct Golden {
    int angle;
    uint64_t buffer;  // FrameBuffer before present
    uint64_t screen;  // display memory after present
};

class GoldenFrames : public ::testing::Test {
protected:
    void SetUp() override {
        initEngine(&renderContext);
        stackInit(&matrixStack, 4);
        presentGeneric();  // every run starts from a presented (cleared) buffer
    }
    void TearDown() override { stackFree(&matrixStack); }

    static void expectFrames(SceneObject* object, const std::vector<Golden>& frames) {
        for (const Golden& g : frames) {
            drawFrame(object, g.angle);
            EXPECT_EQ(bufferSum(), g.buffer) << "angle " << g.angle;
            presentGeneric();
            EXPECT_EQ(screenSum(), g.screen) << "angle " << g.angle;
        }
    }
};

TEST_F(GoldenFrames, ProbeObject) {
    vxtest::ProbeObject probe;
    expectFrames(&probe.object, {
                                    {0, 12313688198343438741ull, 15269204652680413087ull},
                                    {17 * 100, 6145424367206507807ull, 10565111632552541247ull},
                                    {17 * 400, 10658510464929574151ull, 6785391359473871343ull},
                                    {17 * 900, 16813385728801248837ull, 16799120972324743133ull},
                                });
}

// The benchmark object from the default data files the build writes, loaded as start-up does.
TEST_F(GoldenFrames, Sat) {
    if (!VX_HAVE_DEFAULT_DATA) GTEST_SKIP() << "this build makes no default data (VX_BUILD_TOOLS=OFF)";
    const std::filesystem::path dir = VX_BINARY_DIR "/bin";
    const Result loaded = loadBenchmarkData(dir);
    ASSERT_TRUE(loaded) << loaded.reason();
    expectFrames(benchObject, {
                          {0, 16479194170236861003ull, 4392131159169057608ull},
                          {17 * 300, 5841634928733927783ull, 7275461288711840932ull},
                          {17 * 700, 13642864769670735721ull, 7275612753273272083ull},
                          {17 * 1000, 905656901317338988ull, 1845541351988421686ull},
                      });
}

TEST_F(GoldenFrames, AFrameDoesNotDependOnTheOneBefore) {
    vxtest::ProbeObject probe;
    drawFrame(&probe.object, 17 * 400);
    const uint64_t first = bufferSum();
    presentGeneric();
    drawFrame(&probe.object, 17 * 900);
    presentGeneric();
    drawFrame(&probe.object, 17 * 400);
    EXPECT_EQ(bufferSum(), first);
}

}  // namespace
