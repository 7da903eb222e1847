// SPDX-License-Identifier: MIT
#include "png_writer.h"

#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "util/atomic_file.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace veloxia {

Result writeRgb565Png(const std::filesystem::path& path, const uint16_t* pixels, int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        const unsigned p = pixels[i], r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        rgb[3 * i + 0] = uint8_t(r << 3 | r >> 2);
        rgb[3 * i + 1] = uint8_t(g << 2 | g >> 4);
        rgb[3 * i + 2] = uint8_t(b << 3 | b >> 2);
    }
    // The PNG is made in memory and written in one go, through a temporary name.
    int size = 0;
    const std::unique_ptr<unsigned char, decltype(&std::free)> png(
        stbi_write_png_to_mem(rgb.data(), width * 3, width, height, 3, &size), &std::free);
    if (png == nullptr) return Result::failure("cannot encode " + path.string() + " as PNG");
    return writeFileAtomically(path, std::span<const uint8_t>(png.get(), size_t(size)));
}

}  // namespace veloxia
