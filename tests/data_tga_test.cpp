// SPDX-License-Identifier: MIT
// The TGA loader: sizes with and without the size check, the two error lines byte for byte,
// the draw-mode flags of the path, the pixel conversion, and every crafted bad file.
#include <gtest/gtest.h>

#include "support/data_fixture.h"
#include "veloxia/data.h"
#include "veloxia/display.h"

namespace vxtest {
namespace {

using namespace veloxia;

// Runs loadTga on a file with sentinels in every out parameter and the standard output captured.
struct TgaRun {
    int32_t result = -1, width = -1, height = -1, drawMode = -1;
    std::vector<uint16_t> texels{0xBEEF};
    std::string printed;

    TgaRun(const std::filesystem::path& path, int32_t checkSize) {
        ::testing::internal::CaptureStdout();
        result = loadTga(path, width, height, texels, drawMode, checkSize);
        printed = ::testing::internal::GetCapturedStdout();
    }
    bool outputsUntouched() const { return drawMode == -1 && texels == std::vector<uint16_t>{0xBEEF}; }
};

class Tga : public ::testing::Test {
protected:
    void SetUp() override { initShading(-8192, 10); }
    TempDir dir;
};

std::string formatLine(const std::filesystem::path& path) {
    return "ERROR : texture file " + path.string() + " is not tga 24 bits uncompressed format\n";
}

std::string sizeLine(const std::filesystem::path& path) {
    return "ERROR : texture file " + path.string() + " have not 2^n correct size\n";
}

TEST_F(Tga, PowerOfTwoSizesLoadWithTheSizeCheck) {
    TgaImage image;
    image.width = 64;
    image.height = 32;
    const TgaRun run(dir.write("plain.tga", tgaFile(image)), 1);
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(run.width, 64);
    EXPECT_EQ(run.height, 32);
    EXPECT_EQ(run.drawMode, 0);
    EXPECT_EQ(run.texels.size(), 64u * 32u);
    EXPECT_EQ(run.texels[2047], makeColorIndex(0x80, 0x80, 0x80));
    EXPECT_EQ(run.printed, "");
    EXPECT_EQ(TgaRun(dir.write("glass#a#k.tga", tgaFile(image)), 1).drawMode, 3);
}

TEST_F(Tga, OtherSizesFailWithTheSizeLineButKeepTheSize) {
    TgaImage image;
    image.width = 48;
    image.height = 32;
    const auto path = dir.write("wide.tga", tgaFile(image));
    const TgaRun checked(path, 1);
    EXPECT_EQ(checked.result, 0);
    EXPECT_EQ(checked.printed, sizeLine(path));
    EXPECT_EQ(checked.width, 48);
    EXPECT_EQ(checked.height, 32);
    EXPECT_TRUE(checked.outputsUntouched());
    EXPECT_EQ(lastLoadError().file, path);

    const TgaRun unchecked(path, 0);
    EXPECT_EQ(unchecked.result, 1);
    EXPECT_EQ(unchecked.texels.size(), 48u * 32u);
}

TEST_F(Tga, OnlyUncompressedTwentyFourBitImagesAreRead) {
    for (auto [type, bits] : {std::pair{10, 24}, std::pair{2, 32}, std::pair{1, 8}, std::pair{3, 24}}) {
        TgaImage image;
        image.imageType = uint8_t(type);
        image.bitsPerPixel = uint8_t(bits);
        const auto path = dir.write("format.tga", tgaFile(image));
        const TgaRun run(path, 1);
        EXPECT_EQ(run.result, 0) << type << " " << bits;
        EXPECT_EQ(run.printed, formatLine(path));
        EXPECT_EQ(run.width, -1);  // the format is checked before the size is stored
        EXPECT_TRUE(run.outputsUntouched());
    }
}

TEST(TgaNames, FlagsComeFromHashLetterPairsAnywhereInThePath) {
    const std::pair<const char*, int> cases[] = {
        {"textures/stone#k.tga", 1}, {"glass#a#k.tga", 3}, {"glass#a.tga", 2}, {"stone#K.tga", 0},
        {"keyed#k/plain.tga", 1},    {"##k", 1},           {"#ak", 2},         {"name#", 0},
        {"#", 0},                    {"", 0},              {"k#", 0}};
    for (const auto& [path, flags] : cases) EXPECT_EQ(tgaNameFlags(path), flags) << path;
}

TEST(TgaSizes, OnlyTheFivePowersOfTwoFrom8To128) {
    for (int side : {8, 16, 32, 64, 128}) {
        EXPECT_EQ(isTextureSize(side, 8), 1) << side;
        EXPECT_EQ(isTextureSize(128, side), 1) << side;
    }
    for (int side : {0, 1, 4, 48, 256, -8, 129}) {
        EXPECT_EQ(isTextureSize(side, 8), 0) << side;
        EXPECT_EQ(isTextureSize(8, side), 0) << side;
    }
}

TEST_F(Tga, PixelsBecomeColoursInFileOrder) {
    TgaImage image;
    image.pixels.assign(8 * 8 * 3, 0);
    const uint8_t first[3] = {0, 0, 255}, second[3] = {255, 0, 0}, last[3] = {255, 255, 255};
    std::copy(first, first + 3, image.pixels.begin());
    std::copy(second, second + 3, image.pixels.begin() + 3);
    std::copy(last, last + 3, image.pixels.end() - 3);
    // Rows stay in file order whichever origin the descriptor names.
    for (uint8_t descriptor : {uint8_t(0x00), uint8_t(0x20), uint8_t(0x30)}) {
        image.descriptor = descriptor;
        const TgaRun run(dir.write("order.tga", tgaFile(image)), 1);
        ASSERT_EQ(run.result, 1);
        EXPECT_EQ(run.texels[0], 0x3800) << "blue, green, red = 0, 0, 255 is pure red";
        EXPECT_EQ(run.texels[1], 0x00E0);
        EXPECT_EQ(run.texels[63], 0x3FE0);
        EXPECT_EQ(run.texels[2], 0);
    }
}

TEST_F(Tga, IdentificationFieldAndColourMapAreSkipped) {
    TgaImage image;
    image.id = "a comment of some length";
    image.colourMapEntries = 5;
    image.pixels.assign(8 * 8 * 3, 0);
    image.pixels[2] = 255;
    const TgaRun run(dir.write("extras.tga", tgaFile(image)), 1);
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(run.texels[0], 0x3800);
    EXPECT_EQ(run.texels[1], 0);
}

TEST_F(Tga, EmptyShortAndMissingFilesFailWithoutALine) {
    TgaImage empty;
    empty.width = 0;
    const auto zero = dir.write("zero.tga", tgaFile(empty));
    const TgaRun unchecked(zero, 0);
    EXPECT_EQ(unchecked.result, 0);
    EXPECT_EQ(unchecked.printed, "");
    EXPECT_EQ(unchecked.width, 0);
    EXPECT_TRUE(unchecked.outputsUntouched());

    const Bytes good = tgaFile(TgaImage{});
    for (size_t length = 0; length < good.size(); ++length) {
        const auto path = dir.write("cut.tga", Bytes(good.begin(), good.begin() + long(length)));
        const TgaRun run(path, 0);
        ASSERT_EQ(run.result, 0) << length;
        EXPECT_EQ(run.printed, "") << length;
        EXPECT_TRUE(run.outputsUntouched()) << length;
        EXPECT_EQ(lastLoadError().file, path);
    }
    const TgaRun missing(dir.path() / "absent.tga", 1);
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.printed, "");
}

TEST_F(Tga, EveryCraftedFileIsAcceptedOrRejectedCleanly) {
    for (const CraftedFile& file : craftedTgaFiles()) {
        SCOPED_TRACE(file.name);
        const TgaRun run(committedPath("tga", file.name), 1);
        if (file.accepted) {
            EXPECT_EQ(run.result, 1) << lastLoadError().reason;
            EXPECT_EQ(run.texels.size(), size_t(run.width) * size_t(run.height));
        } else {
            EXPECT_EQ(run.result, 0);
            EXPECT_TRUE(run.outputsUntouched());
            EXPECT_FALSE(lastLoadError().reason.empty());
        }
    }
}

TEST(TgaSeeds, CommittedCopiesMatchTheCatalogue) {
    expectCommittedCopies("tga", craftedTgaFiles());
}

}  // namespace
}  // namespace vxtest
