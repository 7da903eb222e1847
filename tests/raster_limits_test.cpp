// SPDX-License-Identifier: MIT
// The textured fillers walk a triangle whose corners lie within 8187 columns of each other
// without testing each row for a span too wide for the reciprocal table. Triangles on both sides
// of that limit, reaching far off the screen, are pinned by a checksum of the cells they drew,
// taken from the fillers that tested every row.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include <veloxia/veloxia.h>

#include "support/checksum.h"

namespace {

using namespace veloxia;
using vxtest::fnv1a;

struct WideTriangles : ::testing::Test {
    void SetUp() override { buildReciprocalTables(); }
};

TEST_F(WideTriangles, CornersNearTheWidthLimitAreDrawnAsBefore) {
    std::mt19937 rng(8191);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto texels = std::make_unique<uint16_t[]>(16 * 16);
    for (int i = 0; i < 256; ++i) texels[i] = pick(0, 3) == 0 ? 0 : uint16_t(pick(0, 511) << 5);
    Texture t{};
    t.width = t.height = 16;
    t.uMask = 15u << 16;
    t.vMask = (15u * 16) << 16;
    t.texels = texels.get();
    for (auto& cell : FrameBuffer) cell = uint32_t(pick(0, 8191)) << 16 | uint32_t(pick(0, 16383));

    std::vector<uint64_t> sums;
    for (int i = 0; i < 240; ++i) {
        // Corner columns 8170..8191 apart (the limit is 8187), placed so that some row of the
        // screen crosses the triangle; rows from far above to far below the screen.
        const int width = pick(8170, 8191);
        const int left = pick(-width + 20, 300);
        std::array<ProjectedVertex, 3> p{
            ProjectedVertex{int16_t(left), int16_t(pick(-3000, 100)), int16_t(pick(64, 8191)), int16_t(pick(1, 31))},
            ProjectedVertex{int16_t(left + pick(0, width)), int16_t(pick(-200, 400)), int16_t(pick(64, 8191)),
                            int16_t(pick(1, 31))},
            ProjectedVertex{int16_t(left + width), int16_t(pick(150, 3000)), int16_t(pick(64, 8191)),
                            int16_t(pick(1, 31))}};
        std::shuffle(p.begin(), p.end() - 1, rng);
        std::sort(p.begin(), p.end(), [](auto& l, auto& r) { return l.sy < r.sy; });
        t.drawMode = i % 4;
        int uv[6];
        for (int& c : uv) c = pick(-2048, 2048);
        const bool affine = i % 2 == 0;
        (affine ? fillAffine : fillPerspective)(&p[0], uv[0], uv[1], &p[1], uv[2], uv[3], &p[2], uv[4], uv[5], &t);
        if (i % 60 == 59) sums.push_back(fnv1a(FrameBuffer, kBufferCells));
    }
    EXPECT_EQ(sums, (std::vector<uint64_t>{939345351223393880ull, 14124949310670607674ull, 5948640507682605393ull,
                                           4199264443093270674ull}));
}

}  // namespace
