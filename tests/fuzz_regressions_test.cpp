// SPDX-License-Identifier: MIT
// Every committed fuzz input through its harness: the inputs of past findings
// (fuzz/regressions/<harness>/) and the seed corpus (fuzz/corpus/<harness>/). Under the
// sanitizer build a finding that comes back shows as an ASan or UBSan report; a broken
// property of the engine aborts with its description.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harnesses.h"
#include "images.h"
#include "model.h"

namespace {

struct Harness {
    const char* name;
    int (*run)(const uint8_t*, size_t);
};

const Harness kHarnesses[] = {
    {"scene_file", vxfuzz::sceneFile}, {"texture_file", vxfuzz::textureFile}, {"tga", vxfuzz::tga},
    {"vxpack_obj", vxfuzz::vxpackObj}, {"vxpack_image", vxfuzz::vxpackImage}, {"raster", vxfuzz::raster},
    {"pipeline", vxfuzz::pipeline},    {"immediate", vxfuzz::immediate},      {"world", vxfuzz::world},
};

void PrintTo(const Harness& h, std::ostream* out) { *out << h.name; }

// Runs every file of fuzz/<kind>/<harness>/ through the harness; returns how many there were.
int replay(const Harness& h, const char* kind) {
    const std::filesystem::path folder = std::filesystem::path(VX_SOURCE_DIR) / "fuzz" / kind / h.name;
    if (!std::filesystem::is_directory(folder)) return 0;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(h.run(bytes.data(), bytes.size()), 0);
        ++count;
    }
    return count;
}

class FuzzInputs : public ::testing::TestWithParam<Harness> {};

TEST_P(FuzzInputs, PastFindingsAndSeedsRunClean) {
    replay(GetParam(), "regressions");
    EXPECT_GT(replay(GetParam(), "corpus"), 0) << "no seed corpus for " << GetParam().name;
}

// Inputs that run out at once: every value the harness reads is then 0.
TEST_P(FuzzInputs, EmptyAndTinyInputsRunClean) {
    const uint8_t bytes[3] = {0xFF, 0x00, 0x7F};
    for (size_t size = 0; size <= sizeof bytes; ++size) EXPECT_EQ(GetParam().run(bytes, size), 0);
}

// What the image findings changed in vxpack: corrupt files are refused with a reason, whole ones
// of the same kinds still decode.
TEST(FuzzFindings, VxpackRefusesCorruptImagesAndStillReadsWholeOnes) {
    const std::filesystem::path fuzz = std::filesystem::path(VX_SOURCE_DIR) / "fuzz";
    const auto reason = [](const std::filesystem::path& path) {
        try {
            vxpack::loadImage(path);
        } catch (const vxpack::PackError& e) {
            return std::string(e.what());
        }
        return std::string("decoded");
    };
    EXPECT_EQ(reason(fuzz / "corpus/vxpack_image/gradient-progressive.jpg"), "decoded");
    EXPECT_EQ(reason(fuzz / "corpus/vxpack_image/good-64x32.tga"), "decoded");
    EXPECT_EQ(reason(fuzz / "corpus/vxpack_image/solar.png"), "decoded");
    EXPECT_NE(reason(fuzz / "regressions/vxpack_image/jpeg-huffman-table-of-473-codes").find("Huffman table"),
              std::string::npos);
    EXPECT_NE(reason(fuzz / "regressions/vxpack_image/tga-54-bytes-claiming-4112x4112").find("cut short"),
              std::string::npos);
    EXPECT_NE(reason(fuzz / "regressions/vxpack_image/rle-tga-31-bytes-claiming-6168x6168").find("cut short"),
              std::string::npos);
    EXPECT_NE(reason(fuzz / "regressions/vxpack_image/png-chunk-claiming-2gb"), "decoded");
    EXPECT_NE(reason(fuzz / "regressions/vxpack_image/bmp-of-height-0").find("no pixels"), std::string::npos);
}

// An empty data chunk carries nothing: a PNG with one before its first data decodes the same.
TEST(FuzzFindings, VxpackReadsAPngWithAnEmptyDataChunk) {
    const auto original = std::filesystem::path(VX_SOURCE_DIR) / "fuzz/corpus/vxpack_image/solar.png";
    std::ifstream in(original, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t data = bytes.find("IDAT");
    ASSERT_NE(data, std::string::npos);
    bytes.insert(data - 4, std::string("\0\0\0\0IDAT\0\0\0\0", 12));
    const auto changed = std::filesystem::temp_directory_path() / "vxfuzz-empty-idat.png";
    std::ofstream(changed, std::ios::binary) << bytes;
    const auto expected = vxpack::loadImage(original);
    const auto got = vxpack::loadImage(changed);
    std::filesystem::remove(changed);
    EXPECT_EQ(got.width, expected.width);
    EXPECT_EQ(got.height, expected.height);
    EXPECT_EQ(got.pixels, expected.pixels);
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzInputs, ::testing::ValuesIn(kHarnesses),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
