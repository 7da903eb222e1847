// SPDX-License-Identifier: MIT
#include "support/vxpack_files.h"

#include <fstream>
#include <stdexcept>

namespace vxtest {

void writeTga(const std::filesystem::path& path, int width, int height, const std::vector<uint8_t>& pixels, bool alpha) {
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = static_cast<uint8_t>(width & 0xFF);
    header[13] = static_cast<uint8_t>(width >> 8);
    header[14] = static_cast<uint8_t>(height & 0xFF);
    header[15] = static_cast<uint8_t>(height >> 8);
    header[16] = alpha ? 32 : 24;
    header[17] = alpha ? 0x28 : 0x20;  // origin at the top left (and 8 alpha bits)
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeSolidTga(const std::filesystem::path& path, int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {b, g, r});
    writeTga(path, width, height, pixels, false);
}

}  // namespace vxtest
