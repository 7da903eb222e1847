// SPDX-License-Identifier: MIT
#include "png_writer.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FILES_EXCEPT_PNG
#include <stb/stb_image_write.h>

namespace veloxia {

bool writeRgb565Png(const std::filesystem::path& path, const uint16_t* pixels, int width, int height,
                    std::string* error) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        const unsigned p = pixels[i], r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        rgb[3 * i + 0] = uint8_t(r << 3 | r >> 2);
        rgb[3 * i + 1] = uint8_t(g << 2 | g >> 4);
        rgb[3 * i + 2] = uint8_t(b << 3 | b >> 2);
    }
    std::filesystem::path temporary = path;
    temporary += ".partial";
    if (!stbi_write_png(temporary.c_str(), width, height, 3, rgb.data(), width * 3)) {
        if (error) *error = "cannot write " + temporary.string() + ": " + std::strerror(errno);
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        if (error) *error = "cannot write " + path.string() + ": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace veloxia
