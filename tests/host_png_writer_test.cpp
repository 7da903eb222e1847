// SPDX-License-Identifier: MIT
// Screen pictures as PNG files, written through the write-then-rename helper.
#include <vector>

#include <gtest/gtest.h>

#include "host/png_writer.h"
#include "support/app_data_files.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(PngWriter, ReplacesTheOldFileWholeOrReportsWhy) {
    const fs::path dir = vxtest::freshDirectory("atomic_png");
    const std::vector<uint16_t> pixels(8 * 4, 0xF800);
    vxtest::writeBytes(dir / "shot.png", "old");
    ASSERT_TRUE(veloxia::writeRgb565Png(dir / "shot.png", pixels.data(), 8, 4).ok());
    const std::vector<uint8_t> png = vxtest::readBytes(dir / "shot.png");
    EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left
    EXPECT_EQ(veloxia::writeRgb565Png(dir / "no" / "shot.png", pixels.data(), 8, 4).reason(), "cannot write " + (dir / "no" / "shot.png").string() + ": No such file or directory");
}

}  // namespace
