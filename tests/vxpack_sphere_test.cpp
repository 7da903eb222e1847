// SPDX-License-Identifier: MIT
// `vxpack sphere`: the triangle counts asked for, a closed sphere of the given radius, and the
// engine drawing its near side (faces turned the engine's way) at the size the projection gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <veloxia/veloxia.h>

#include "default_data.h"
#include "sphere.h"
#include "support/vxpack_files.h"

namespace {

using namespace vxpack;

TEST(Sphere, TriangleCountIsTheNearestOfTheFormAndEveryIndexAndPositionHolds) {
    EXPECT_EQ(sphereStacks(500), 12);    // 528 triangles; 11 stacks would give 440
    EXPECT_EQ(sphereStacks(32000), 90);  // 32040
    EXPECT_EQ(sphereStacks(kMinSphereTriangles), 3);
    for (const int32_t asked : {500, 2000, 8000, 32000, kMaxSphereTriangles}) {
        SphereOptions options;
        options.triangles = asked;
        options.radius = 250;
        const PackResult r = makeSphere(options);
        ASSERT_EQ(r.scene.objects.size(), 1u);
        const PackObject& o = r.scene.objects[0];
        const auto s = sphereStacks(asked);
        EXPECT_EQ(o.name, "Sat");
        EXPECT_EQ(int32_t(o.faces.size()), 4 * s * (s - 1));
        EXPECT_LT(std::abs(int32_t(o.faces.size()) - asked), asked / 10 + 1) << asked;
        EXPECT_EQ(int32_t(o.vertices.size()), 2 * s * (s - 1) + 2);
        for (const PackVertex& v : o.vertices) {
            const double length = std::hypot(double(v.x), double(v.y), double(v.z));
            ASSERT_NEAR(length, 250.0, 1.0);
            ASSERT_GE(v.light, 8);
            ASSERT_LE(v.light, 31);
        }
        for (const PackFace& f : o.faces) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_GE(f.vertex[k], 0);
                ASSERT_LT(f.vertex[k], int32_t(o.vertices.size()));
                ASSERT_GE(f.u[k], 0);  // 12.4 coordinates grow from 0 past the seam, never wrap
                ASSERT_GE(f.v[k], 0);
            }
        }
    }
}

TEST(Sphere, RejectsCountsRadiiAndNamesOutsideTheLimits) {
    const auto rejects = [](SphereOptions o) { EXPECT_THROW(makeSphere(o), PackError); };
    rejects({kMinSphereTriangles - 1, 90, "Sat"});
    rejects({kMaxSphereTriangles + 1, 90, "Sat"});
    rejects({2000, 7, "Sat"});
    rejects({2000, kBenchObjectMaxRadius + 1, "Sat"});
    rejects({2000, 90, ""});
    rejects({2000, 90, std::string(24, 'x')});
}

// The running screen's view of the sphere loaded by the engine: translate 0,0,-350 and turn.
TEST(Sphere, EngineDrawsOnlyTheNearSideAsADiscOfTheProjectedSize) {
    vxtest::TempDir dir;
    SphereOptions options;
    options.triangles = 2000;
    options.radius = 90;
    writePair(makeSphere(options), dir / kSceneFileName, dir / kTextureFileName);

    using namespace veloxia;
    initEngine(&renderContext);
    stackInit(&matrixStack, 4);
    ASSERT_EQ(loadSceneFile(dir / kSceneFileName), 1) << lastLoadError().reason;
    ASSERT_EQ(loadTextureFile(dir / kTextureFileName), 1) << lastLoadError().reason;
    SceneObject* sphere = findSceneObject("Sat");
    ASSERT_NE(sphere, nullptr);
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0x20000000u);
    stackPush(&matrixStack);
    matTranslate(matrixStack.top, 0, 0, -350);
    matRotateZ(matrixStack.top, 1234 / 20);
    matRotateY(matrixStack.top, 1234 / 10);
    renderObject(&renderContext, sphere);
    stackPop(&matrixStack);

    int32_t covered = 0, farthest = 0;
    for (const uint32_t cell : FrameBuffer) {
        if (cell == 0x20000000u) continue;
        ++covered;
        farthest = std::max(farthest, int32_t(cell >> 16));
    }
    // Culled back faces leave the near hemisphere: the centre at 350 - 90, nothing behind 350.
    EXPECT_NEAR(int32_t(FrameBuffer[120 * kBufferWidth + 160] >> 16), 260, 2);
    EXPECT_LE(farthest, 352);
    // The silhouette's radius is focal * r / sqrt(d^2 - r^2) = 93.1 pixels.
    const double disc = 3.14159265 * 93.1 * 93.1;
    EXPECT_NEAR(covered, disc, disc * 0.04);
}

// At 30 and 60 degrees sine and cosine are exactly 1/2, and the vertices there sit on a half at
// an odd radius, which rounds away from zero: not on whichever side the libm's last bit falls.
TEST(Sphere, VerticesOnAnExactHalfDoNotDependOnTheLibm) {
    SphereOptions options;
    options.triangles = 120;  // 6 stacks: rings 30 degrees apart, 12 slices
    options.radius = 121;
    ASSERT_EQ(sphereStacks(options.triangles), 6);
    const PackObject o = makeSphere(options).scene.objects[0];
    // Vertex 1 is ring 1 (30 degrees from the pole), slice 0; vertex 2 is slice 1 (30 degrees round).
    EXPECT_EQ(o.vertices[1].x, 61);    // sin 30 * 121 = 60.5
    EXPECT_EQ(o.vertices[1].z, 0);
    EXPECT_EQ(o.vertices[12 * 1 + 1].y, 61);   // ring 2: cos 60 * 121
    EXPECT_EQ(o.vertices[2].x, 52);   // sin 30 * cos 30 * 121 = 52.39...
}

}  // namespace
