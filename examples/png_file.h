// SPDX-License-Identifier: MIT
// The examples' picture writer: RGB565 pixels to an 8-bit RGB PNG, in a few lines and no library.
// The image data is stored uncompressed (deflate's stored blocks), so the files are larger than
// a compressing writer's, but any viewer reads them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace examples {

inline uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// One chunk: length, type, data, CRC of type and data.
inline void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    putBig32(out, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBig32(out, crc32(body.data(), body.size()));
}

// pixels: width * height RGB565 values, row-major; channels widen by bit replication.
inline bool writePng(const std::filesystem::path& path, const uint16_t* pixels, int width, int height,
                     std::string& error) {
    std::vector<uint8_t> raw;  // each row: filter type 0, then R, G, B per pixel
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const uint16_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            const int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
            raw.insert(raw.end(), {uint8_t(r << 3 | r >> 2), uint8_t(g << 2 | g >> 4), uint8_t(b << 3 | b >> 2)});
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};  // zlib header, no compression
    uint32_t a = 1, b = 0;                   // Adler-32 of the raw bytes
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);  // last block?
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        for (size_t i = at; i < at + n; ++i) {
            z.push_back(raw[i]);
            a = (a + raw[i]) % 65521;
            b = (b + a) % 65521;
        }
        if (n == 0) break;
    }
    putBig32(z, b << 16 | a);

    std::vector<uint8_t> header;
    putBig32(header, uint32_t(width));
    putBig32(header, uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", z);
    putChunk(file, "IEND", {});

    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    if (!out.flush()) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

}  // namespace examples
