// SPDX-License-Identifier: MIT
// Lines and the wire-frame filler: the cells each line sets, the excluded end point, skipping
// off-screen cells, and wire frames that stay visible over filled faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <utility>

#include <veloxia/veloxia.h>

namespace {

using namespace veloxia;

constexpr uint32_t kClear = 0x20000000;
constexpr uint32_t kValue = 0x12345678;

using Cells = std::set<std::pair<int, int>>;  // (column, row)

Cells cellsWith(uint32_t value) {
    Cells cells;
    for (int i = 0; i < kBufferCells; ++i)
        if (FrameBuffer[i] == value) cells.insert({i % kBufferWidth, i / kBufferWidth});
    return cells;
}

class Lines : public ::testing::Test {
protected:
    static void SetUpTestSuite() { buildReciprocalTables(); }
    void SetUp() override { std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), kClear); }
    static Cells line(int x0, int y0, int x1, int y1) {
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), kClear);
        drawLine(x0, y0, x1, y1, kValue);
        const Cells cells = cellsWith(kValue);
        EXPECT_EQ(cells.size() + cellsWith(kClear).size(), size_t(kBufferCells)) << "only whole values are written";
        return cells;
    }
};

TEST_F(Lines, ShallowLinesSetOneCellPerColumnAndNeverTheFarEnd) {
    Cells row0;
    for (int x = 0; x < 10; ++x) row0.insert({x, 0});
    EXPECT_EQ(line(0, 0, 10, 0), row0);
    EXPECT_EQ(line(10, 0, 0, 0), row0);
    EXPECT_EQ(line(0, 0, 4, 4), Cells({{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(line(4, 4, 0, 0), Cells({{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    // 131072 / 5 truncates to 26214: the slope falls just short of one row per column.
    EXPECT_EQ(line(0, 0, 5, 5), Cells({{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 3}}));
    EXPECT_TRUE(line(7, 7, 7, 7).empty());
}

TEST_F(Lines, SteepLinesSetOneCellPerRow) {
    EXPECT_EQ(line(0, 0, 3, 6), Cells({{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 5}}));
    EXPECT_EQ(line(3, 6, 0, 0), Cells({{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 5}}));
    EXPECT_EQ(line(5, 0, 5, 4), Cells({{5, 0}, {5, 1}, {5, 2}, {5, 3}}));
}

TEST_F(Lines, CellsOffTheScreenAreSkippedOneByOne) {
    Cells diagonal;
    for (int x = 1; x <= 9; ++x) diagonal.insert({x, x - 1});
    // At column 0 the position is still just above row 0.
    EXPECT_EQ(line(-10, -10, 10, 10), diagonal);
    EXPECT_EQ(line(-1, 5, 9, 5).size(), 9u);
    EXPECT_EQ(line(5, -1, 5, 9).size(), 9u);
    // A shallow line leaving the bottom of the screen keeps its columns above it; the slope
    // (32760 for 65536 * 20 / 40) keeps column 20 on row 239.
    const Cells down = line(0, 230, 40, 250);
    EXPECT_EQ(down.size(), 21u);
    EXPECT_TRUE(down.count({20, 239}));
    // Ends beyond the right and bottom edges stop at column 319 and row 239.
    EXPECT_EQ(line(310, 5, 400, 5).size(), 10u);
    EXPECT_EQ(line(5, 230, 5, 400).size(), 10u);
    EXPECT_TRUE(line(-50, -5, 50, -5).empty());
    EXPECT_TRUE(line(400, 0, 500, 100).empty());
    EXPECT_TRUE(line(0, 300, 10, 600).empty());
}

TEST_F(Lines, MajorRoutinesDrawNothingUnlessTheirEndsAscend) {
    drawLineX(10, 0, 10, 5, kValue);
    drawLineX(10, 0, 5, 5, kValue);
    drawLineY(0, 10, 5, 10, kValue);
    drawLineY(0, 10, 5, 3, kValue);
    EXPECT_TRUE(cellsWith(kValue).empty());
    drawLineY(0, 0, 0, 3, kValue);
    EXPECT_EQ(cellsWith(kValue), Cells({{0, 0}, {0, 1}, {0, 2}}));
}

TEST_F(Lines, ExtremeEndPointsStayInsideTheBuffer) {
    std::mt19937 rng(5);
    const int extremes[] = {INT_MIN, INT_MIN + 1, -70000, -1, 0, 1, 160, 319, 320, 70000, INT_MAX};
    for (int x0 : extremes)
        for (int y0 : extremes) {
            drawLine(x0, y0, extremes[rng() % 11], extremes[rng() % 11], kValue);
            drawLine(x0, y0, int(rng()), int(rng()), kValue);
        }
    // A line far longer than 8191 cells takes a wrapped slope but still one cell per column.
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), kClear);
    drawLine(-20000, 100, 20000, 100, kValue);
    EXPECT_EQ(cellsWith(kValue).size(), 320u);
}

TEST_F(Lines, WireTriangleDrawsItsThreeEdgesInWhiteAtDepthZero) {
    const ProjectedVertex a{0, 0, 500, 9}, b{10, 0, 500, 9}, c{0, 10, 500, 9};
    const Texture* none = nullptr;
    fillWire(&a, 1, 2, &b, 3, 4, &c, 5, 6, none);
    // a-b sets (0,0)..(9,0); b-c is drawn from c, (0,10)..(9,1); c-a from a, (0,0)..(0,9).
    // b is the excluded end of both its edges and stays undrawn.
    Cells expected;
    for (int i = 0; i < 10; ++i) {
        expected.insert({i, 0});
        expected.insert({i, 10 - i});
        expected.insert({0, i});
    }
    EXPECT_EQ(cellsWith(16383), expected);
    EXPECT_EQ(cellsWith(16383).size() + cellsWith(kClear).size(), size_t(kBufferCells));
}

TEST_F(Lines, WireFrameStaysVisibleOverFilledFaces) {
    const uint16_t texel = 2 << 11;
    Texture t{};
    uint16_t texels[1] = {texel};
    t.width = t.height = 1;
    t.texels = texels;
    t.averageColor = texel;
    const ProjectedVertex a{20, 20, 1, 31}, b{200, 40, 1, 31}, c{60, 200, 1, 31};
    fillWire(&a, 0, 0, &b, 0, 0, &c, 0, 0, &t);
    const Cells wire = cellsWith(16383);
    ASSERT_GT(wire.size(), 300u);
    for (FillTriangleFn f : {fillAffine, fillPerspective, fillFlat}) f(&a, 0, 0, &b, 0, 0, &c, 0, 0, &t);
    EXPECT_EQ(cellsWith(16383), wire);
    EXPECT_GT(cellsWith((1u << 16) | texel | 31).size(), 10000u);
}

}  // namespace
