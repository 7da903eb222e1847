// SPDX-License-Identifier: MIT
// Triangle fillers: coverage, the pixel rule, draw modes, and seeded comparisons with a plain
// model, plus wild inputs that must stay inside the tables and the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <array>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <veloxia/veloxia.h>

#include "support/raster_reference.h"

namespace {

using namespace veloxia;
using vxtest::FillerKind;

constexpr uint32_t kClear = 0x20000000;  // colour 0, depth 8192

uint16_t colour(int r, int g, int b, int level = 0) { return uint16_t(r << 11 | g << 8 | b << 5 | level); }

// A one-frame texture owning its texels.
Texture makeTexture(int width, int height, int drawMode, const std::vector<uint16_t>& texels, uint16_t average = 0) {
    Texture t{};
    t.width = width;
    t.height = height;
    t.drawMode = drawMode;
    t.uMask = uint32_t(width - 1) << 16;
    t.vMask = uint32_t((height - 1) * width) << 16;
    t.frames.push_back(std::make_unique<uint16_t[]>(size_t(width) * height));
    std::copy(texels.begin(), texels.end(), t.frames[0].get());
    t.texels = t.frames[0].get();
    t.averageColor = average;
    t.frameCount = 1;
    return t;
}

Texture plainTexture(uint16_t texel, int drawMode = 0) { return makeTexture(1, 1, drawMode, {texel}, texel); }

using Cells = std::set<std::pair<int, int>>;  // (column, row)

Cells changedCells(uint32_t from) {
    Cells cells;
    for (int i = 0; i < kBufferCells; ++i)
        if (FrameBuffer[i] != from) cells.insert({i % kBufferWidth, i / kBufferWidth});
    return cells;
}

Cells rowRuns(std::initializer_list<std::array<int, 3>> runs) {  // {row, first column, last column}
    Cells cells;
    for (const auto& r : runs)
        for (int x = r[1]; x <= r[2]; ++x) cells.insert({x, r[0]});
    return cells;
}

int fill(FillTriangleFn f, ProjectedVertex a, ProjectedVertex b, ProjectedVertex c, const Texture& t, int u = 0, int v = 0) {
    return f(&a, u, v, &b, u, v, &c, u, v, &t);
}

const std::array<std::pair<const char*, FillTriangleFn>, 3> kFillers{
    {{"affine", fillAffine}, {"perspective", fillPerspective}, {"flat", fillFlat}}};

class Fillers : public ::testing::Test {
protected:
    static void SetUpTestSuite() { buildReciprocalTables(); }
    void SetUp() override { clear(kClear); }
    static void clear(uint32_t v) { std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), v); }
};

TEST_F(Fillers, FlatTopDrawsItsTopRowAndFlatBottomNotItsBottom) {
    const Texture t = plainTexture(colour(7, 7, 7));
    for (const auto& [name, f] : kFillers) {
        SCOPED_TRACE(name);
        clear(kClear);
        fill(f, {0, 0, 100, 31}, {4, 0, 100, 31}, {0, 4, 100, 31}, t);
        EXPECT_EQ(changedCells(kClear), rowRuns({{0, 0, 3}, {1, 0, 2}, {2, 0, 1}, {3, 0, 0}}));
        clear(kClear);
        fill(f, {0, 0, 100, 31}, {0, 4, 100, 31}, {4, 4, 100, 31}, t);
        EXPECT_EQ(changedCells(kClear), rowRuns({{1, 0, 0}, {2, 0, 1}, {3, 0, 2}}));
    }
}

TEST_F(Fillers, TopAboveTheScreenStartsAtRowZeroWithRowZeroValues) {
    // Edges of exactly one column per row; the shade of the left edge reaches 8 at row 0.
    const Texture t = plainTexture(colour(1, 1, 1));
    fill(fillFlat, {16, -8, 100, 0}, {0, 8, 100, 16}, {32, 8, 100, 16}, t);
    Cells expected;
    for (int y = 0; y < 8; ++y)
        for (int x = 8 - y; x < 24 + y; ++x) expected.insert({x, y});
    EXPECT_EQ(changedCells(kClear), expected);
    EXPECT_EQ(FrameBuffer[8] & 31, 8u);
    EXPECT_EQ(FrameBuffer[7 * 320 + 1] & 31, 15u);
}

TEST_F(Fillers, EqualEdgeStepsDrawNothingButTruncatedCollinearOnesAreWalked) {
    const Texture t = plainTexture(colour(3, 3, 3));
    for (const auto& [name, f] : kFillers) {
        SCOPED_TRACE(name);
        clear(kClear);
        fill(f, {0, 0, 100, 31}, {1, 3, 100, 31}, {2, 6, 100, 31}, t);  // both upper steps 21845
        EXPECT_TRUE(changedCells(kClear).empty());
        clear(kClear);
        // Steps 21843 (long) and 21844 (short): the lower part opens a one-column gap at row 9.
        fill(f, {0, 0, 100, 31}, {3, 9, 100, 31}, {6, 18, 100, 31}, t);
        const Cells cells = changedCells(kClear);
        EXPECT_FALSE(cells.empty());
        EXPECT_TRUE(cells.count({2, 9}));
    }
}

TEST_F(Fillers, UnsortedCornersDrawAsSorted) {
    const Texture t = makeTexture(4, 4, 0, {1 << 5, 2 << 5, 3 << 5, 4 << 5, 5 << 5, 6 << 5, 7 << 5, 8 << 5,
                                            9 << 5, 10 << 5, 11 << 5, 12 << 5, 13 << 5, 14 << 5, 15 << 5, 16 << 5});
    const ProjectedVertex a{10, 5, 300, 4}, b{200, 90, 700, 20}, c{40, 180, 500, 31};
    for (const auto& [name, f] : kFillers) {
        SCOPED_TRACE(name);
        clear(kClear);
        f(&a, 0, 0, &b, 64, 16, &c, 16, 64, &t);
        const std::vector<uint32_t> sorted(std::begin(FrameBuffer), std::end(FrameBuffer));
        clear(kClear);
        f(&c, 16, 64, &a, 0, 0, &b, 64, 16, &t);
        EXPECT_TRUE(std::equal(sorted.begin(), sorted.end(), std::begin(FrameBuffer)));
        EXPECT_GT(std::count_if(sorted.begin(), sorted.end(), [](uint32_t v) { return v != kClear; }), 1000);
    }
}

TEST_F(Fillers, SpanCoversFromTheLeftColumnUpToButNotTheRightOne) {
    spanFlat(10 * 65536 + 58982, 5, 11 * 65536, 31 << 16, 31 << 16, 100 << 16, 100 << 16, colour(7, 0, 0), 0);
    EXPECT_EQ(changedCells(kClear), Cells({{10, 5}}));
    clear(kClear);
    spanFlat(10 * 65536, 5, 10 * 65536 + 58982, 31 << 16, 31 << 16, 100 << 16, 100 << 16, colour(7, 0, 0), 0);
    EXPECT_TRUE(changedCells(kClear).empty());
}

TEST_F(Fillers, ClippedSpansKeepTheValuesOfTheUnclippedRow) {
    // Eight columns from -5 with shade 0 to 8: level x + 5 at column x, depth 100 + (x + 5).
    spanFlat(-5 << 16, 7, 3 << 16, 0, 8 << 16, 100 << 16, 108 << 16, colour(0, 7, 0), 0);
    EXPECT_EQ(changedCells(kClear), rowRuns({{7, 0, 2}}));
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(FrameBuffer[7 * 320 + x] & 31, uint32_t(x + 5));
        EXPECT_EQ(FrameBuffer[7 * 320 + x] >> 16, uint32_t(105 + x));
    }
    clear(kClear);
    spanFlat(300 << 16, 7, 400 << 16, 10 << 16, 10 << 16, 100 << 16, 100 << 16, colour(0, 7, 0), 0);
    EXPECT_EQ(changedCells(kClear), rowRuns({{7, 300, 319}}));
    clear(kClear);
    for (int y : {-1, 240, 100000}) spanFlat(0, y, 50 << 16, 0, 0, 0, 0, 1, 0);
    EXPECT_TRUE(changedCells(kClear).empty());
}

TEST_F(Fillers, SpansWiderThanTheTableAreDrawnWithSteadyValues) {
    // 40000 columns with the shade rising from 0 to 31 and the depth from 1000 to 5000.
    const int32_t left = -20000, right = 20000;
    spanFlat(left << 16, 3, right << 16, 0, 31 << 16, 1000 << 16, 5000 << 16, colour(1, 2, 3), 0);
    EXPECT_EQ(changedCells(kClear), rowRuns({{3, 0, 319}}));
    for (int x = 0; x < 320; ++x) {
        const double t = double(x - left) / (right - left);
        const uint32_t cell = FrameBuffer[3 * 320 + x];
        EXPECT_NEAR(double(cell & 31), 31 * t, 1.0) << x;
        EXPECT_NEAR(double(cell >> 16), 1000 + 4000 * t, 2.0) << x;
    }
}

// One cell at column 0 of row y with a constant depth z and shade level 5, through each span
// routine and each of its loops.
using OneCell = void (*)(int32_t y, int32_t z, const Texture& t);
const std::array<std::pair<const char*, OneCell>, 3> kSpans{{
    {"affine", [](int32_t y, int32_t z, const Texture& t) { spanAffine(0, 0, 0, 0, 0, y, 1 << 16, 5 << 16, 5 << 16, z, z, &t); }},
    {"perspective", [](int32_t y, int32_t z, const Texture& t) {
         spanPerspective(1000 << 8, 1000 << 8, 0, 0, 0, 0, 0, y, 1 << 16, 5 << 16, 5 << 16, z, z, &t);
     }},
    {"flat", [](int32_t y, int32_t z, const Texture& t) {
         spanFlat(0, y, 1 << 16, 5 << 16, 5 << 16, z, z, t.averageColor, t.drawMode);
     }},
}};

TEST_F(Fillers, DepthTestComparesTheWholeSignedCell) {
    for (int mode : {0, 1, 2, 3}) {
        const Texture t = plainTexture(colour(1, 0, 0), mode);
        for (const auto& [name, put] : kSpans) {
            const bool blend = std::string(name) == "flat" ? mode != 0 : mode >= 2;
            SCOPED_TRACE(std::string(name) + " mode " + std::to_string(mode));
            clear(0x10000000);  // depth 4096, colour 0
            put(0, (4096 << 16) - 1, t);
            put(1, 4096 << 16, t);
            EXPECT_EQ(FrameBuffer[0], blend ? 0x10000000u + colour(0, 0, 0, 2) : (4095u << 16) + colour(1, 0, 0, 5));
            EXPECT_EQ(FrameBuffer[320], 0x10000000u);

            // At equal whole depth the new fraction is compared with the stored colour index.
            const uint32_t stored = (700u << 16) | 500;
            for (const auto& [fraction, wins] : {std::pair{499, true}, {500, false}, {501, false}}) {
                FrameBuffer[0] = stored;
                put(0, (700 << 16) | fraction, t);
                EXPECT_EQ(FrameBuffer[0] != stored, wins) << fraction;
            }
            // Negative cells are nearer than every positive depth.
            FrameBuffer[0] = 0xFFFF0000u;
            put(0, 0, t);
            EXPECT_EQ(FrameBuffer[0], 0xFFFF0000u);
        }
    }
}

TEST_F(Fillers, BlendAveragesChannelsAndLevelsAndKeepsTheDepth) {
    const uint32_t under = (100u << 16) | colour(6, 2, 7, 20);
    const uint32_t expected = (100u << 16) | colour(4, 3, 3, 15);
    for (int mode : {2, 3, 9}) {
        const Texture t = plainTexture(colour(3, 4, 0), mode);
        for (const auto& [name, f] : kFillers) {
            SCOPED_TRACE(name);
            std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), under);
            fill(f, {0, 0, 50, 10}, {20, 0, 50, 10}, {0, 20, 50, 10}, t);
            EXPECT_EQ(FrameBuffer[1 * 320 + 1], expected) << mode;
            EXPECT_EQ(FrameBuffer[19 * 320 + 19], under);
        }
    }
    // A blend that fails the depth test leaves the cell alone.
    const Texture t = plainTexture(colour(3, 4, 0), 2);
    std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), under);
    fill(fillAffine, {0, 0, 200, 10}, {20, 0, 200, 10}, {0, 20, 200, 10}, t);
    EXPECT_EQ(changedCells(under), Cells{});
}

TEST_F(Fillers, TransparentModesSkipTexelZeroAndOddModesMapOntoTheFourLoops) {
    // Columns alternate between texel 0 and a colour.
    const uint16_t lit = colour(5, 5, 5);
    auto draw = [&](int mode) {
        const Texture t = makeTexture(2, 1, mode, {0, lit});
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), (300u << 16) | colour(1, 1, 1, 9));
        const ProjectedVertex a{0, 0, 100, 12}, b{64, 0, 100, 12}, c{0, 64, 100, 12};
        fillAffine(&a, 0, 0, &b, 64 * 16, 0, &c, 0, 0, &t);
        return std::vector<uint32_t>(std::begin(FrameBuffer), std::end(FrameBuffer));
    };
    const auto opaque = draw(0), transparent = draw(1), blended = draw(2), blendedTransparent = draw(3);
    const uint32_t under = (300u << 16) | colour(1, 1, 1, 9);
    // Row 0 steps u by exactly one texel per column.
    EXPECT_EQ(opaque[0], (100u << 16) | 12);
    EXPECT_EQ(opaque[1], (100u << 16) | colour(5, 5, 5, 12));
    EXPECT_EQ(transparent[0], under);
    EXPECT_EQ(transparent[1], (100u << 16) | colour(5, 5, 5, 12));
    EXPECT_EQ(blended[0], (300u << 16) | colour(0, 0, 0, 10));
    EXPECT_EQ(blendedTransparent[0], under);
    EXPECT_EQ(blendedTransparent[1], (300u << 16) | colour(3, 3, 3, 10));
    EXPECT_EQ(draw(-1), transparent);
    EXPECT_EQ(draw(-100), transparent);
    EXPECT_EQ(draw(4), blendedTransparent);
    EXPECT_EQ(draw(1000), blendedTransparent);
}

TEST_F(Fillers, FlatPaintsTheAverageColourOpaqueOnlyInModeZero) {
    Texture t = makeTexture(2, 1, 0, {0, 0}, colour(2, 4, 6));
    fill(fillFlat, {0, 0, 80, 7}, {30, 0, 80, 7}, {0, 30, 80, 7}, t);
    EXPECT_EQ(FrameBuffer[320 + 1], (80u << 16) | colour(2, 4, 6, 7));
    for (int mode : {1, 3, -1}) {  // never transparent, always blended
        t.drawMode = mode;
        clear((90u << 16) | colour(6, 0, 2, 9));
        fill(fillFlat, {0, 0, 80, 7}, {30, 0, 80, 7}, {0, 30, 80, 7}, t);
        EXPECT_EQ(FrameBuffer[320 + 1], (90u << 16) | colour(4, 2, 4, 8)) << mode;
    }
}

TEST_F(Fillers, TextureCoordinatesWrapAroundTheTexture) {
    std::vector<uint16_t> texels(16);
    for (int i = 0; i < 16; ++i) texels[i] = uint16_t((i + 1) << 5);
    const Texture t = makeTexture(4, 4, 0, texels);
    // u = 16 * width + 16 is column 1; v = 16 * height + 32 is row 2.
    fill(fillAffine, {0, 0, 100, 0}, {20, 0, 100, 0}, {0, 20, 100, 0}, t, 16 * 4 + 16, 16 * 4 + 32);
    EXPECT_EQ(FrameBuffer[320 + 1], (100u << 16) | texels[2 * 4 + 1]);
    EXPECT_EQ(FrameBuffer[10 * 320 + 5], (100u << 16) | texels[2 * 4 + 1]);
    // Negative coordinates wrap the same way: -16 is the last column.
    clear(kClear);
    fill(fillAffine, {0, 0, 100, 0}, {20, 0, 100, 0}, {0, 20, 100, 0}, t, -16, 0);
    EXPECT_EQ(FrameBuffer[320 + 1], (100u << 16) | texels[3]);
}

TEST_F(Fillers, PerspectiveBeyondDepth2048PaintsTheFirstTexel) {
    std::vector<uint16_t> texels(64);
    for (int i = 0; i < 64; ++i) texels[i] = uint16_t((i + 1) << 5);
    const Texture t = makeTexture(8, 8, 0, texels);
    const ProjectedVertex a{10, 10, 3000, 20}, b{200, 40, 5000, 20}, c{60, 200, 4000, 20};
    fillPerspective(&a, 0, 0, &b, 128, 16, &c, 32, 128, &t);
    int drawn = 0;
    for (uint32_t cell : FrameBuffer)
        if (cell != kClear) {
            ++drawn;
            EXPECT_EQ(cell & 0xFFFF, texels[0] + 20u);
        }
    EXPECT_GT(drawn, 5000);
}

TEST_F(Fillers, PerspectiveTexturesDepthsOutsideItsRangeAsTheNearestEnd) {
    std::vector<uint16_t> texels(256);
    for (int i = 0; i < 256; ++i) texels[i] = uint16_t((i % 511 + 1) << 5);
    const Texture t = makeTexture(16, 16, 0, texels);
    auto colours = [&](int16_t d0, int16_t d1) {
        clear(0x7FFF0000);
        const ProjectedVertex a{10, 10, d0, 20}, b{200, 40, d1, 20}, c{60, 200, d0, 20};
        fillPerspective(&a, 0, 0, &b, 256, 16, &c, 32, 256, &t);
        std::vector<uint16_t> out;
        for (uint32_t cell : FrameBuffer) out.push_back(uint16_t(cell));
        return out;
    };
    const auto near33 = colours(33, 60);
    EXPECT_EQ(colours(10, 60), near33);
    EXPECT_EQ(colours(0, 60), near33);
    EXPECT_EQ(colours(-500, 60), near33);
    const auto far = colours(8191, 100);
    EXPECT_EQ(colours(20000, 100), far);
    EXPECT_NE(near33, far);
}

// Seeded comparisons: a buffer of random cells and random texels, a quarter of them
// transparent, under each triangle.
std::vector<uint32_t> randomCells(std::mt19937& rng) {
    std::vector<uint32_t> cells(kBufferCells);
    for (auto& cell : cells) cell = (rng() % 8192) << 16 | rng() % 16384;
    return cells;
}
std::vector<uint16_t> randomTexels(std::mt19937& rng, size_t count) {
    std::vector<uint16_t> texels(count);
    for (auto& t : texels) t = rng() % 4 == 0 ? 0 : uint16_t(rng() % 512 << 5);
    return texels;
}

// Draws a triangle over `base` with the model and then with `fast`, which leaves its cells in
// the buffer; true when both drew the same.
bool matchesModel(FillerKind kind, FillTriangleFn fast, const std::array<ProjectedVertex, 3>& p, const int (&uv)[6],
                  const Texture& t, const std::vector<uint32_t>& base) {
    std::copy(base.begin(), base.end(), FrameBuffer);
    vxtest::referenceFill(kind, p[0], uv[0], uv[1], p[1], uv[2], uv[3], p[2], uv[4], uv[5], t);
    const std::vector<uint32_t> model(std::begin(FrameBuffer), std::end(FrameBuffer));
    std::copy(base.begin(), base.end(), FrameBuffer);
    fast(&p[0], uv[0], uv[1], &p[1], uv[2], uv[3], &p[2], uv[4], uv[5], &t);
    return std::equal(model.begin(), model.end(), std::begin(FrameBuffer));
}

// Seeded triangles as the pipeline delivers them, compared cell by cell with the plain model.
TEST_F(Fillers, SeededTrianglesMatchTheModelAndStayInsideTheirRows) {
    std::mt19937 rng(20261205);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::vector<uint32_t> base = randomCells(rng);
    const std::vector<uint16_t> texels = randomTexels(rng, 64);
    const FillerKind kinds[] = {FillerKind::Affine, FillerKind::Perspective, FillerKind::Flat};
    const FillTriangleFn fast[] = {fillAffine, fillPerspective, fillFlat};
    const int modes[] = {0, 1, 2, 3, 5, -2};
    long long drawnTotal = 0;

    for (int i = 0; i < 900; ++i) {
        const int k = i % 3, mode = modes[(i / 3) % 6];
        const bool small = i % 2 == 0;
        std::array<ProjectedVertex, 3> p;
        const int cx = pick(-40, 360), cy = pick(-40, 280), spread = small ? 24 : 400;
        for (auto& v : p)
            v = {int16_t(cx + pick(-spread, spread)), int16_t(cy + pick(-spread / 2, spread / 2)),
                 int16_t(pick(64, 8191)), int16_t(pick(1, 31))};
        std::sort(p.begin(), p.end(), [](auto& l, auto& r) { return l.sy < r.sy; });
        if (p[2].sy <= p[0].sy || p[0].sy >= 240 || p[2].sy < 0) continue;
        const Texture t = makeTexture(8, 8, mode, texels, uint16_t(pick(0, 511) << 5));
        int uv[6];
        for (int& c : uv) c = pick(-4096, 4096);
        ASSERT_TRUE(matchesModel(kinds[k], fast[k], p, uv, t, base)) << "triangle " << i;

        // Rows above the first drawn row (a.sy + 1, or a.sy for a flat top) and from c.sy down
        // are untouched; inside, opaque modes store depths of the triangle, blends keep depths.
        const int firstRow = std::clamp(p[0].sy == p[1].sy ? p[0].sy : p[0].sy + 1, 0, 240);
        const int endRow = std::clamp<int>(p[2].sy, firstRow, 240);
        const size_t rowBytes = kBufferWidth * sizeof(uint32_t);
        ASSERT_EQ(std::memcmp(base.data(), FrameBuffer, firstRow * rowBytes), 0) << "triangle " << i;
        ASSERT_EQ(std::memcmp(&base[endRow * kBufferWidth], &FrameBuffer[endRow * kBufferWidth],
                              (240 - endRow) * rowBytes), 0) << "triangle " << i;
        const uint32_t minDepth = std::min({p[0].depth, p[1].depth, p[2].depth}) - 1;
        const uint32_t maxDepth = std::max({p[0].depth, p[1].depth, p[2].depth});
        const bool opaque = k == 2 ? mode == 0 : (mode == 0 || mode == 1 || mode == -2);
        int wrongDepths = 0;
        for (int cell = firstRow * kBufferWidth; cell < endRow * kBufferWidth; ++cell) {
            if (FrameBuffer[cell] == base[cell]) continue;
            ++drawnTotal;
            const uint32_t depth = FrameBuffer[cell] >> 16;
            wrongDepths += opaque ? (depth < minDepth || depth > maxDepth) : depth != base[cell] >> 16;
        }
        ASSERT_EQ(wrongDepths, 0) << "triangle " << i;
    }
    EXPECT_GT(drawnTotal, 500000);
}

// Small triangles (rows of one to a dozen cells) swept across the left and right sides of the
// screen and along its last rows, so that spans start and end on every column near either side,
// with and without clipping, compared with the model in every affine draw mode.
TEST_F(Fillers, SmallTrianglesAcrossTheScreenSidesMatchTheModel) {
    std::mt19937 rng(4242);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::vector<uint32_t> base = randomCells(rng);
    const std::vector<uint16_t> texels = randomTexels(rng, 16 * 8);
    int compared = 0;
    for (int side = 0; side < 2; ++side) {
        for (int x = -14; x <= 14; ++x) {
            for (int shape = 0; shape < 6; ++shape) {
                const int mode = shape % 4;
                const int left = side == 0 ? x : kBufferWidth - 1 + x;
                const int top = shape < 3 ? pick(-4, 200) : pick(200, 236);
                std::array<ProjectedVertex, 3> p;
                for (auto& v : p)
                    v = {int16_t(left + pick(0, 12)), int16_t(top + pick(0, 24)), int16_t(pick(64, 8191)),
                         int16_t(pick(1, 31))};
                std::sort(p.begin(), p.end(), [](auto& l, auto& r) { return l.sy < r.sy; });
                if (p[2].sy <= p[0].sy) continue;
                const Texture t = makeTexture(16, 8, mode, texels);
                int uv[6];
                for (int& c : uv) c = pick(-2048, 2048);
                ASSERT_TRUE(matchesModel(FillerKind::Affine, fillAffine, p, uv, t, base))
                    << "side " << side << " column " << left << " shape " << shape;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 300);
}

// Inputs no pipeline delivers: corners far off the screen and out of order, any depth, shade
// and coordinate. Nothing may be read or written outside a table, the texture or the buffer
// (the sanitizer build checks), and a triangle of one depth keeps that depth in every cell.
TEST_F(Fillers, WildTrianglesStayInsideTheTablesAndTheBuffer) {
    std::mt19937 rng(77);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto coordinate = [&]() {
        switch (pick(0, 3)) {
            case 0: return pick(-32768, 32767);
            case 1: return pick(-9000, 9000);
            default: return pick(-50, 370);
        }
    };
    std::vector<uint16_t> texels(32 * 16);
    for (auto& t : texels) t = uint16_t(pick(0, 16383));
    const FillTriangleFn fillers[] = {fillAffine, fillPerspective, fillFlat, fillWire};
    for (int i = 0; i < 1600; ++i) {
        // Half the triangles have one depth and one shade level, so every value stays constant
        // across them however wrong their slopes are.
        const int16_t depth = int16_t(pick(-32768, 32767)), shade = int16_t(pick(0, 31));
        const bool oneDepth = i % 2 == 0;
        std::array<ProjectedVertex, 3> p;
        for (auto& v : p)
            v = {int16_t(coordinate()), int16_t(coordinate()), oneDepth ? depth : int16_t(pick(-32768, 32767)),
                 oneDepth ? shade : int16_t(pick(-32768, 32767))};
        const Texture t = makeTexture(32, 16, pick(-3, 6), texels, uint16_t(pick(0, 65535)));
        const bool check = oneDepth && i % 4 != 3 && (i % 4 == 2 ? t.drawMode == 0 : t.drawMode <= 1);
        if (check) clear(0x7FFFFFFF);
        fillers[i % 4](&p[0], pick(INT32_MIN, INT32_MAX), pick(-70000, 70000), &p[1], pick(-70000, 70000),
                       pick(INT32_MIN, INT32_MAX), &p[2], pick(-70000, 70000), pick(-70000, 70000), &t);
        if (check) {
            for (uint32_t cell : FrameBuffer) {
                if (cell == 0x7FFFFFFFu) continue;
                ASSERT_EQ(int16_t(cell >> 16), depth) << "triangle " << i;
            }
        }
    }
}

}  // namespace
