// SPDX-License-Identifier: MIT
// The umbrella header stands on its own and the records keep their file sizes.
#include <veloxia/veloxia.h>

#include <gtest/gtest.h>

namespace {

TEST(Header, RecordsKeepTheirSizes) {
    EXPECT_EQ(sizeof(veloxia::MeshVertex), 32u);
    EXPECT_EQ(sizeof(veloxia::ProjectedVertex), 8u);
    EXPECT_EQ(sizeof(veloxia::IndexedVertex), 24u);
    EXPECT_EQ(sizeof(veloxia::Mat34), 24u);
}

TEST(Header, CrtRandFollowsTheHandheldRuntime) {
    veloxia::crtSeed(1);
    // The first results of the runtime's generator from seed 1.
    EXPECT_EQ(veloxia::crtRand(), 41);
    EXPECT_EQ(veloxia::crtRand(), 18467);
    EXPECT_EQ(veloxia::crtRand(), 6334);
    veloxia::crtSeed(1);
}

}  // namespace
